#include "search/result_list.h"

namespace tolvanir {

void fill_result_list(result_list& list, const shown_results& results, int selected) {
    list.begin_fill(results.size());
    list.reset_content();
    list.reserve(results.size());
    for (const result_entry& entry : results) {
        // The index LB_ADDSTRING gives back is the one LB_GETCOUNT would have
        // given before it: one message fewer per row.
        const int row = list.add_string(entry.shown_text);
        if (row >= 0) list.set_item_data(row, &entry.launch_text);
    }
    list.set_cur_sel(selected);
    list.end_fill();
}

}  // namespace tolvanir
