// The result list control as the query sees it: the list box operations it
// needs, so the row-producing logic runs against a stand-in in tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "search/result_entry.h"

namespace tolvanir {

class result_list {
  public:
    virtual ~result_list() = default;
    virtual void reset_content() = 0;             // LB_RESETCONTENT
    [[nodiscard]] virtual int count() const = 0;  // LB_GETCOUNT
    // LB_ADDSTRING: the new row's index (the list does not sort), or -1.
    virtual int add_string(const std::wstring& text) = 0;
    virtual void set_item_data(int row, const std::wstring* launch_text) = 0;  // LB_SETITEMDATA
    virtual void set_cur_sel(int row) = 0;                                     // LB_SETCURSEL
    // Adds row k of the results (its shown text, then its launch text as the
    // row's item data); the new row's index, or -1. A list that shows no
    // text need not have the row's entry built.
    virtual int add_row(const shown_results& results, std::size_t k);
    // Around a refill of `rows` rows: a list that repaints or grows row by
    // row can turn that off meanwhile, and make room once it is empty.
    virtual void begin_fill(std::size_t rows) { (void)rows; }
    virtual void reserve(std::size_t rows) { (void)rows; }
    virtual void end_fill() {}
};

// A list that only counts its rows, for tools and benchmarks that need the
// query's work but show nothing.
class counting_result_list : public result_list {
  public:
    void reset_content() override { rows = 0; }
    [[nodiscard]] int count() const override { return rows; }
    int add_string(const std::wstring&) override { return rows++; }
    int add_row(const shown_results&, std::size_t) override { return rows++; }
    void set_item_data(int, const std::wstring*) override {}
    void set_cur_sel(int) override {}

    int rows = 0;
};

// Replaces the list's rows with the results, best first, and selects a row:
// the first, unless told otherwise.
void fill_result_list(result_list& list, const shown_results& results, int selected = 0);

// The same fill in parts: the first screens of rows at once, the rest in
// slices of a few milliseconds, so that a hundred thousand rows never hold
// the window thread (which also serves the desktop's keyboard hook) for long.
// When it ends, the list holds exactly what fill_result_list leaves. The
// results must stay as they are until then; a new start replaces an
// unfinished fill.
class sliced_fill {
  public:
    static constexpr std::size_t first_rows = 256;
    static constexpr std::chrono::microseconds slice{3000};

    // Empties the list, adds the first rows and selects `selected` (see
    // select).
    void start(result_list& list, const shown_results& results, int selected);
    // Adds rows for about one slice; false once every row is in.
    bool step();
    // Adds every row up to and including `row` now.
    void complete_to(std::size_t row);
    void complete() { complete_to(static_cast<std::size_t>(-1)); }
    // Selects the row, at once if it is in, else when its slice comes; until
    // then the list shows no selection and target() tells the row.
    void select(int row);
    // The row to be selected when it comes in; -1 for none.
    [[nodiscard]] int target() const { return target_; }
    // The list was emptied: nothing more goes into it.
    void cancel() { results_ = nullptr, target_ = -1; }
    [[nodiscard]] bool pending() const { return results_ != nullptr && next_ < results_->size(); }
    [[nodiscard]] std::size_t total() const { return results_ != nullptr ? results_->size() : 0; }

  private:
    void add_until(std::size_t end, bool timed);

    result_list* list_ = nullptr;
    const shown_results* results_ = nullptr;
    std::size_t next_ = 0;
    int target_ = -1;  // the row to select once it is in
};

}  // namespace tolvanir
