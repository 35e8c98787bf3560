// Directories the user adds to the scan.
#pragma once

#include <optional>
#include <string>

#include "config/json_file.h"
#include "index/scanner_directory.h"

namespace tolvanir {

constexpr std::int32_t added_directory_depth = 3;

// Appends a picked directory to "scan_directory" and gives the record to
// start a scanner on; nothing when the path is not an existing directory,
// is too long for a path, or is already listed in the same form. A path
// containing the program directory is stored relative to it.
std::optional<scanner_directory> add_scan_directory(wptree& settings, const std::wstring& path,
                                                    const std::wstring& program_dir);

}  // namespace tolvanir
