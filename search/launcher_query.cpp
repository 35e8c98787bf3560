#include "search/launcher_query.h"

#include "search/query_text.h"

namespace tolvanir {

void launcher_query::on_query_changed(const std::wstring& typed, result_list& list) {
    run_search(normalize_query(typed), list);
}

void launcher_query::run_search(const std::wstring& query, result_list& list) {
    if (!query.empty() && query[0] == L'!') {
        command_mode_ = command_search_mode;
        shown_.clear();
        if (command_search_) command_search_(query, shown_);
    } else {
        command_mode_ = item_search_mode;
        items_.run(index_, query, shown_);
    }
    fill_result_list(list, shown_);
}

}  // namespace tolvanir
