#include "search/launcher_query.h"

#include "search/query_text.h"

namespace tolvanir {

void launcher_query::on_query_changed(const std::wstring& typed, result_list& list,
                                      const std::wstring* keep) {
    run_search(normalize_query(typed), list, keep);
}

void launcher_query::run_search(const std::wstring& query, result_list& list,
                                const std::wstring* keep) {
    const int selected = search_normalized(query, keep);
    fill_result_list(list, shown_, selected);
}

int launcher_query::search(const std::wstring& typed, const std::wstring* keep) {
    return search_normalized(normalize_query(typed), keep);
}

int launcher_query::search_normalized(const std::wstring& query, const std::wstring* keep) {
    if (!query.empty() && query[0] == L'!') {
        command_mode_ = command_search_mode;
        shown_.clear();
        if (command_search_) command_search_(query, shown_);
    } else {
        command_mode_ = item_search_mode;
        items_.run(index_, query, shown_);
    }
    int selected = 0;
    if (keep != nullptr) {
        const std::size_t found = shown_.find_launch_text(*keep);
        if (found != shown_.size()) selected = static_cast<int>(found);
    }
    return selected;
}

}  // namespace tolvanir
