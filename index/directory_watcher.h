// Watching: items follow the shortcuts and executables that are created,
// deleted or renamed below a scan directory while the program runs.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "index/tolvanir_list.h"
#include "platform/directory_watch.h"

namespace tolvanir {

// An auto-reset signal from a watcher to its scanner: "the watch is on".
class ready_signal {
  public:
    void set();
    void wait();

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    bool set_ = false;
};

// Applies one notification's records. Keeps the old name of a rename across
// calls, since a pair can be split between two batches.
class change_applier {
  public:
    change_applier(tolvanir_list& index, std::wstring directory, int depth)
        : index_(index), directory_(std::move(directory)), depth_(depth) {}

    void apply(const change_record& record);

  private:
    tolvanir_list& index_;
    std::wstring directory_;
    int depth_;
    std::wstring old_name_;
};

// A created entry: a regular file is taken like a scanned one.
void add_created_file(tolvanir_list& index, const std::wstring& path);

// The body of a watcher thread. Signals `ready` once the first request is
// out (or at once when the directory cannot be watched: false), then applies
// changes until `stop` is set (true).
bool watch_directory(tolvanir_list& index, const std::wstring& directory, int depth,
                     const stop_event& stop, ready_signal& ready);

}  // namespace tolvanir
