// A stand-in for the list box: records rows, item data and the selection as
// the real control would.
#pragma once

#include <string>
#include <vector>

#include "search/result_list.h"

namespace tolvanir::testing {

class fake_result_list : public result_list {
  public:
    struct row {
        std::wstring text;
        const std::wstring* data = nullptr;
    };

    void reset_content() override {
        rows.clear();
        selected = -1;
        ++resets;
    }
    int count() const override { return static_cast<int>(rows.size()); }
    int add_string(const std::wstring& text) override {
        rows.push_back({text, nullptr});
        return count() - 1;
    }
    void set_item_data(int row_index, const std::wstring* data) override {
        rows.at(static_cast<std::size_t>(row_index)).data = data;
    }
    // Like LB_SETCURSEL: an index past the end selects nothing.
    void set_cur_sel(int row_index) override {
        selected = row_index >= 0 && row_index < count() ? row_index : -1;
    }

    std::vector<std::wstring> texts() const {
        std::vector<std::wstring> out;
        for (const row& r : rows) out.push_back(r.text);
        return out;
    }

    std::vector<row> rows;
    int selected = -1;
    int resets = 0;
};

}  // namespace tolvanir::testing
