// Where the program keeps its files: beside the executable.
#pragma once

#include <boost/filesystem/path.hpp>
#include <string>

namespace tolvanir {

// The directory holding the running executable (the root itself for an
// executable at a drive root). Computed on every call.
boost::filesystem::path program_directory();

// The file `name` in the directory "Data" under the program directory. The
// directory is created when missing; a plain file in its place is removed
// first. A failure shows later, when the file is read or written.
boost::filesystem::path data_file_path(const std::wstring& name);
boost::filesystem::path data_file_path(const boost::filesystem::path& program_dir,
                                       const std::wstring& name);

}  // namespace tolvanir
