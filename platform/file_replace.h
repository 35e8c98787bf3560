// Durable replacement of a whole file.
//
// The bytes go to a temporary file beside the target, are flushed to the disk,
// and the temporary file then takes the target's place in one step, so a crash
// leaves either the old file or the new one, never a torn one.
// Windows: FlushFileBuffers, MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH).
// POSIX: fsync, rename, fsync of the directory.
#pragma once

#include <boost/filesystem/path.hpp>
#include <string>

namespace tolvanir {

[[nodiscard]] bool replace_file_contents(const boost::filesystem::path& target,
                                         const std::string& bytes);

}  // namespace tolvanir
