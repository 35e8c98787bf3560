// The result list control as the query sees it: the list box operations it
// needs, so the row-producing logic runs against a stand-in in tests.
#pragma once

#include <cstddef>
#include <string>

#include "search/result_entry.h"

namespace tolvanir {

class result_list {
  public:
    virtual ~result_list() = default;
    virtual void reset_content() = 0;                                          // LB_RESETCONTENT
    [[nodiscard]] virtual int count() const = 0;                               // LB_GETCOUNT
    virtual void add_string(const std::wstring& text) = 0;                     // LB_ADDSTRING
    virtual void set_item_data(int row, const std::wstring* launch_text) = 0;  // LB_SETITEMDATA
    virtual void set_cur_sel(int row) = 0;                                     // LB_SETCURSEL
    // Around a refill of `rows` rows: a list that repaints or grows row by
    // row can turn that off meanwhile.
    virtual void begin_fill(std::size_t rows) { (void)rows; }
    virtual void end_fill() {}
};

// Replaces the list's rows with the results, best first, and selects row 0.
void fill_result_list(result_list& list, const shown_results& results);

}  // namespace tolvanir
