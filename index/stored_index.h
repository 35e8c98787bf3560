// Data/Index.json through a run: loaded at start; when another program held
// it then, read again later and merged into the index, and at exit kept
// under a name of its own if it never could be read, so the user's items and
// counts are never replaced by a run that could not see them.
#pragma once

#include <boost/filesystem/path.hpp>
#include <functional>
#include <mutex>

#include "config/json_file.h"
#include "config/retry_schedule.h"
#include "index/tolvanir_list.h"
#include "platform/stop_event.h"

namespace tolvanir {

class stored_index {
  public:
    using locate_fn = std::function<boost::filesystem::path()>;

    // `locate` gives the file's path each time it is needed (Data/Index.json
    // by default, its directory made again if it has gone).
    explicit stored_index(locate_fn locate);
    stored_index();

    // At start, before any scanner: load_index with its tries. A file that is
    // there but cannot be read is left for retry, and the index follows
    // renames until then.
    file_read load(tolvanir_list& index);
    // Whether the file is there and has not been read yet.
    [[nodiscard]] bool unread() const;

    // The body of a thread of the window's group, for an unread file: waits on
    // `stop` through each interval of the schedule, then opens the file once;
    // what it reads is merged into the index (tolvanir_list::merge_stored)
    // on this thread. Returns once the file was read, turned out missing or
    // broken, or `stop` was set.
    void retry(tolvanir_list& index, const stop_event& stop,
               retry_schedule schedule = retry_schedule());

    // At exit and at the end of the session: a file still unread is tried
    // once more, with the start's tries, and merged; one that still cannot be
    // read is kept under a name of its own while the index takes its place
    // (save_index). False when the index was not written.
    bool save(tolvanir_list& index);

  private:
    file_read merge_from(tolvanir_list& index, const boost::filesystem::path& file, int attempts);

    locate_fn locate_;
    mutable std::mutex mutex_;  // one reader or writer of the file at a time
    file_read found_ = file_read::read;
};

}  // namespace tolvanir
