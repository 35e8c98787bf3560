#include "index/stored_index.h"

#include <string_view>
#include <utility>
#include <vector>

#include "index/index_file.h"
#include "index/present_files.h"

namespace tolvanir {

stored_index::stored_index(locate_fn locate) : locate_(std::move(locate)) {}

stored_index::stored_index() : stored_index(&index_file_path) {}

file_read stored_index::load(tolvanir_list& index) {
    std::lock_guard<std::mutex> lock(mutex_);
    found_ = load_index(index, locate_());
    if (found_ == file_read::unreadable) index.follow_renames();
    return found_;
}

bool stored_index::unread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return found_ == file_read::unreadable;
}

file_read stored_index::merge_from(tolvanir_list& index, const boost::filesystem::path& file,
                                   int attempts) {
    stored_items stored;
    const file_read found = read_stored_items(file, stored, attempts);
    if (found == file_read::unreadable) return found;
    // The file tests are file-system work: done before the index is locked.
    std::vector<std::string_view> paths;
    paths.reserve(stored.items.size());
    for (const packed_item& item : stored.items) paths.push_back(item.path());
    const std::vector<bool> present = regular_files(paths);
    // Nothing stored (missing, broken) still ends the following of renames.
    index.merge_stored(std::move(stored), present);
    return found;
}

void stored_index::retry(tolvanir_list& index, const stop_event& stop, retry_schedule schedule) {
    for (;;) {
        if (stop.wait_for(schedule.next())) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (found_ != file_read::unreadable) return;
        found_ = merge_from(index, locate_(), one_read_attempt);
    }
}

bool stored_index::save(tolvanir_list& index) {
    std::lock_guard<std::mutex> lock(mutex_);
    const boost::filesystem::path file = locate_();
    if (found_ == file_read::unreadable) found_ = merge_from(index, file, start_read_attempts);
    if (!save_index(index, file, found_)) return false;
    found_ = file_read::read;
    return true;
}

}  // namespace tolvanir
