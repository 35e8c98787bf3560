// Data/Settings.json through a run: read at start; when another program held
// it then, read again from the window's timer and merged into the tree, and
// at exit kept under a name of its own if it never could be read. The tree is
// the window thread's alone, and the file is small: each try is one attempt
// to open it, on that thread, never a wait.
#pragma once

#include <boost/filesystem/path.hpp>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "config/json_file.h"
#include "config/retry_schedule.h"
#include "index/scanner_directory.h"

namespace tolvanir {

// What a late read brings that the window acts on.
struct late_settings {
    std::vector<scanner_directory> to_scan;  // stored directories to start scanners on
    bool welcome = false;                    // the file's "first_run" says the welcome is due
};

class settings_file {
  public:
    using locate_fn = std::function<boost::filesystem::path()>;
    using clock = retry_timer::clock;

    explicit settings_file(locate_fn locate) : locate_(std::move(locate)) {}

    // At start, with the start's tries. A file that is there but cannot be
    // read leaves the tree empty but for "first_run": "false", since a file
    // that exists means this is no first run: no welcome. It is tried again
    // from `now` on.
    file_read load(wptree& tree, clock::time_point now);
    [[nodiscard]] bool unread() const { return found_ == file_read::unreadable; }

    // From the window's timer: while the file is unread and a try is due, one
    // attempt to open it. When it reads, it is merged into the tree
    // (config/settings_merge.h), and the welcome is taken if the file's
    // "first_run" says it is due.
    std::optional<late_settings> retry(wptree& tree, clock::time_point now);

    // At exit and at the end of the session: a file still unread is tried
    // once more, `attempts` times, and merged; one that still cannot be read
    // is kept under a name of its own while the tree takes its place
    // (replace_data_file). False when the tree was not written (reported
    // quietly; the tree stays).
    bool save(wptree& tree, int attempts = start_read_attempts);

  private:
    // One read of the file; when it reads, it is merged into the tree and
    // its directories still to scan are given.
    file_read merge_from(wptree& tree, const boost::filesystem::path& file, int attempts,
                         std::vector<scanner_directory>& to_scan);

    locate_fn locate_;
    file_read found_ = file_read::read;
    std::optional<retry_timer> timer_;
};

}  // namespace tolvanir
