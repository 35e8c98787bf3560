// The launcher window's two controls and its visibility as the window's
// logic sees them, so that logic runs against a stand-in in tests.
#pragma once

#include <string>

#include "search/result_list.h"

namespace tolvanir {

class launcher_controls : public result_list {
  public:
    [[nodiscard]] virtual std::wstring input_text() const = 0;
    // Changing the text notifies the window, which calls
    // launcher_logic::on_input_changed, as the input line's EN_CHANGE does.
    virtual void set_input_text(const std::wstring& text) = 0;
    [[nodiscard]] virtual bool input_has_focus() const = 0;
    virtual void focus_input() = 0;

    [[nodiscard]] virtual int cur_sel() const = 0;  // LB_GETCURSEL, -1 for none

    [[nodiscard]] virtual bool window_visible() const = 0;
    virtual void hide_window() = 0;
};

}  // namespace tolvanir
