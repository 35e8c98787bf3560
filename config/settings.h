// The settings tree: user-added scan directories and the first-run flag,
// kept in Data/Settings.json for the whole run.
#pragma once

#include <optional>
#include <vector>

#include "config/json_file.h"
#include "config/settings_file.h"
#include "index/scanner_directory.h"

namespace tolvanir {

// The process-wide settings tree; main thread only.
wptree& settings();

// The entries of "scan_directory" in stored order: the first value of each is
// the directory as stored, the second its depth. A missing key is created
// empty, so it is written at exit. A depth that is not a number scans with
// the depth new entries get.
std::vector<scanner_directory> read_scan_directories(wptree& tree);

// Whether the welcome is still due ("first_run" missing, "true", "1" or any
// text but "false"/"0"); when it is, "first_run" becomes "false".
bool take_first_run(wptree& tree);

// Start-up and exit: Data/Settings.json into and out of settings()
// (config/settings_file.h). A failed save is reported quietly and leaves the
// tree in memory; returns whether it was written. A file still unread is
// tried `attempts` times first.
void load_settings();
bool save_settings(int attempts = start_read_attempts);
// From the window's timer, while the file held at start is still unread.
std::optional<late_settings> retry_settings();

}  // namespace tolvanir
