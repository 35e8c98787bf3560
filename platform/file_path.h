// A path the index keeps in generalized UTF-8 (platform/utf8.h), as the file
// system takes it. POSIX: the bytes themselves, which are the name. Windows:
// the wide path they encode.
#pragma once

#include <boost/filesystem/path.hpp>
#include <string>
#include <string_view>

namespace tolvanir {

[[nodiscard]] boost::filesystem::path file_path_of(std::string_view packed_path);
// The last part of a path as the index keeps texts.
[[nodiscard]] std::string packed_file_name(const boost::filesystem::path& path);

}  // namespace tolvanir
