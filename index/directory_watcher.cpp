#include "index/directory_watcher.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <vector>

#include "index/directory_scan.h"
#include "index/path_text.h"

namespace tolvanir {

namespace {

namespace fs = boost::filesystem;

fs::file_type status_of(const std::wstring& path) {
    boost::system::error_code error;
    return fs::status(fs::path(path), error).type();
}

}  // namespace

void ready_signal::set() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = true;
    }
    ready_.notify_one();
}

void ready_signal::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return set_; });
    set_ = false;
}

void add_created_file(tolvanir_list& index, const std::wstring& path) {
    if (status_of(path) != fs::regular_file) return;
    localized_names names;
    load_localized_names(parent_of(path), names);
    add_file(index, path, names);
}

void change_applier::apply(const change_record& record) {
    const auto separators = std::count(record.name.begin(), record.name.end(),
                                       static_cast<wchar_t>(fs::path::preferred_separator));
    // One level deeper than the scan reaches, so files in the deepest
    // scanned directories are followed too. An old name that is not followed
    // must not pair with a later new name.
    if (separators > depth_) {
        if (record.action == change_renamed_old_name) old_name_.clear();
        return;
    }
    const std::wstring path = join_path(directory_, record.name);
    switch (record.action) {
        case change_added:
            add_created_file(index_, path);
            break;
        case change_removed:
            index_.remove_path(path);
            break;
        case change_renamed_old_name:
            old_name_ = path;
            break;
        case change_renamed_new_name:
            // Files inside a directory at the deepest level are not watched.
            if (!(separators == depth_ && status_of(path) == fs::directory_file)) {
                index_.rename_path(old_name_, path);
            }
            old_name_.clear();  // one old name serves one new name
            break;
        default:
            break;
    }
}

bool watch_directory(tolvanir_list& index, const std::wstring& directory, int depth,
                     const stop_event& stop, ready_signal& ready) {
    const std::unique_ptr<directory_watch> watch = directory_watch::open(directory);
    if (!watch) {
        ready.set();
        return false;
    }
    change_applier applier(index, directory, depth);
    std::vector<change_record> records;
    (void)watch->request();
    ready.set();
    while (watch->wait(stop, records)) {
        for (const change_record& record : records) {
            try {
                applier.apply(record);
            } catch (const std::exception&) {
                // One entry that cannot be taken must not end the watch.
            }
        }
        (void)watch->request();
        ready.set();
    }
    return true;
}

}  // namespace tolvanir
