// The settings file read late into a run that started without it, because
// another program held it at start.
#pragma once

#include <vector>

#include "config/json_file.h"
#include "index/scanner_directory.h"

namespace tolvanir {

struct merged_settings {
    wptree tree;                             // what the run goes on with
    std::vector<scanner_directory> to_scan;  // the file's directories not scanned yet
};

// The file's tree is the base, so members this program does not know stay,
// and so does its "first_run". Directories added during the run are appended
// unless the file lists them already (in the same stored form, as adding a
// directory compares). The file's directories that the run does not scan yet
// are given to start their scanners.
[[nodiscard]] merged_settings merge_settings(const wptree& file, const wptree& run);

}  // namespace tolvanir
