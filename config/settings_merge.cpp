#include "config/settings_merge.h"

#include <algorithm>

#include "config/settings.h"

namespace tolvanir {

namespace {

bool lists(const std::vector<scanner_directory>& directories, const std::wstring& directory) {
    return std::any_of(directories.begin(), directories.end(),
                       [&](const scanner_directory& d) { return d.directory == directory; });
}

}  // namespace

merged_settings merge_settings(const wptree& file, const wptree& run) {
    merged_settings merged{file, {}};
    // A bare value holds no settings, as at start.
    if (!merged.tree.data().empty()) merged.tree = wptree();
    wptree run_tree = run;
    const std::vector<scanner_directory> running = read_scan_directories(run_tree);
    const std::vector<scanner_directory> stored = read_scan_directories(merged.tree);
    for (const scanner_directory& directory : stored) {
        if (!lists(running, directory.directory)) merged.to_scan.push_back(directory);
    }

    wptree& list = merged.tree.get_child(L"scan_directory");
    std::size_t k = 0;
    for (const auto& entry : run_tree.get_child(L"scan_directory")) {
        if (lists(stored, running[k++].directory)) continue;
        // A plain text written there by hand lists nothing, and beside an
        // entry it would make the settings unwritable.
        list.data().clear();
        list.push_back(entry);
    }
    return merged;
}

}  // namespace tolvanir
