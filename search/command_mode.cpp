#include "search/command_mode.h"

#include <algorithm>

#include "platform/natural_compare.h"
#include "search/match_score.h"

namespace tolvanir {

std::vector<std::pair<std::wstring, std::wstring>> build_command_list(
    const std::vector<command>& table, window_ref window, const label_fn& label) {
    std::vector<std::pair<std::wstring, std::wstring>> list;
    for (const command& entry : table) {
        if (entry.visible && !entry.visible(window)) continue;
        list.emplace_back(label(entry.key), entry.key);
    }
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return natural_compare(a.second, b.second) < 0;
    });
    return list;
}

void command_search(const std::vector<command>& table, window_ref window, const label_fn& label,
                    const std::wstring& query, shown_results& results) {
    const std::wstring pattern = query.empty() ? query : query.substr(1);
    std::vector<result_entry> rows;
    for (auto& [text, key] : build_command_list(table, window, label)) {
        const double score = match_score(pattern, text);
        if (score != 0.0) rows.push_back({text, key, score});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const result_entry& a, const result_entry& b) {
        return a.score > b.score;
    });
    results.assign(std::move(rows));
}

void run_command(const std::vector<command>& table, window_ref window, bool from_list,
                 const std::wstring& key) {
    if (!from_list) return;
    for (const command& entry : table) {
        if (entry.key == key) {
            if (entry.handler) entry.handler(window);
            return;
        }
    }
}

}  // namespace tolvanir
