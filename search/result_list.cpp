#include "search/result_list.h"

namespace tolvanir {

int result_list::add_row(const shown_results& results, std::size_t k) {
    const result_entry& entry = results[k];
    // The index LB_ADDSTRING gives back is the one LB_GETCOUNT would have
    // given before it: one message fewer per row.
    const int row = add_string(entry.shown_text);
    if (row >= 0) set_item_data(row, &entry.launch_text);
    return row;
}

void fill_result_list(result_list& list, const shown_results& results, int selected) {
    list.begin_fill(results.size());
    list.reset_content();
    list.reserve(results.size());
    for (std::size_t k = 0; k < results.size(); ++k) list.add_row(results, k);
    list.set_cur_sel(selected);
    list.end_fill();
}

}  // namespace tolvanir
