#include "config/settings_file.h"

#include <boost/property_tree/json_parser.hpp>

#include "config/settings.h"
#include "config/settings_merge.h"
#include "platform/debug_output.h"

namespace tolvanir {

namespace {

// A file holding a bare value instead of an object has no settings in it,
// and such a root could never be written back.
void drop_bare_value(wptree& tree) {
    if (!tree.data().empty()) tree = wptree();
}

}  // namespace

file_read settings_file::load(wptree& tree, clock::time_point now) {
    found_ = load_json_file(tree, locate_());
    drop_bare_value(tree);
    if (found_ == file_read::unreadable) {
        tree.put_child(L"first_run", wptree(L"false"));
        timer_.emplace(now);
    }
    return found_;
}

file_read settings_file::merge_from(wptree& tree, const boost::filesystem::path& file, int attempts,
                                    std::vector<scanner_directory>& to_scan) {
    wptree stored;
    const file_read found = load_json_file(stored, file, attempts);
    if (found != file_read::read) return found;
    merged_settings merged = merge_settings(stored, tree);
    tree.swap(merged.tree);
    to_scan = std::move(merged.to_scan);
    return found;
}

std::optional<late_settings> settings_file::retry(wptree& tree, clock::time_point now) {
    if (!unread() || !timer_ || !timer_->due(now)) return std::nullopt;
    late_settings late;
    found_ = merge_from(tree, locate_(), one_read_attempt, late.to_scan);
    if (found_ != file_read::read) return std::nullopt;
    late.welcome = take_first_run(tree);
    return late;
}

bool settings_file::save(wptree& tree, int attempts) {
    const boost::filesystem::path file = locate_();
    if (unread()) {
        // Too late to scan: the file's directories are scanned next time.
        std::vector<scanner_directory> ignored;
        found_ = merge_from(tree, file, attempts, ignored);
    }
    std::string failure = "write error";
    const bool written = replace_data_file(file, found_, [&] {
        try {
            write_json_file(tree, file);
            return true;
        } catch (const boost::property_tree::json_parser_error& error) {
            failure = error.message();
            return false;
        }
    });
    if (!written) {
        debug_output(L"Settings.json not written: " + std::wstring(failure.begin(), failure.end()));
        return false;
    }
    found_ = file_read::read;
    return true;
}

}  // namespace tolvanir
