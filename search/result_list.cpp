#include "search/result_list.h"

#include <algorithm>

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
    sliced_fill fill;
    fill.start(list, results, selected);
    fill.complete();
}

void sliced_fill::start(result_list& list, const shown_results& results, int selected) {
    list_ = &list;
    results_ = &results;
    next_ = 0;
    target_ = -1;
    const std::size_t first = std::min(results.size(), first_rows);
    list.begin_fill(first);
    list.reset_content();
    list.reserve(results.size());
    add_until(first, false);
    select(selected);
    list.end_fill();
}

bool sliced_fill::step() {
    if (!pending()) return false;
    list_->begin_fill(results_->size() - next_);
    add_until(results_->size(), true);
    list_->end_fill();
    return pending();
}

void sliced_fill::select(int row) {
    if (list_ == nullptr) return;
    if (row < 0 || static_cast<std::size_t>(row) < next_ || results_ == nullptr ||
        static_cast<std::size_t>(row) >= results_->size()) {
        target_ = -1;
        list_->set_cur_sel(row);
        return;
    }
    target_ = row;
    list_->set_cur_sel(-1);
}

void sliced_fill::complete_to(std::size_t row) {
    if (!pending()) return;
    const std::size_t end = row < results_->size() ? row + 1 : results_->size();
    if (end <= next_) return;
    list_->begin_fill(end - next_);
    add_until(end, false);
    list_->end_fill();
}

void sliced_fill::add_until(std::size_t end, bool timed) {
    const auto deadline = std::chrono::steady_clock::now() + slice;
    for (; next_ < end; ++next_) {
        if (timed && next_ % 64 == 0 && std::chrono::steady_clock::now() >= deadline) break;
        list_->add_row(*results_, next_);
    }
    if (target_ >= 0 && static_cast<std::size_t>(target_) < next_) select(target_);
}

}  // namespace tolvanir
