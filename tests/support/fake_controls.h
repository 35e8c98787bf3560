// A stand-in for the launcher window's input line, result list and
// visibility, behaving as the real controls do where the logic relies on it:
// a text change notifies the window, a cleared list has no selection.
#pragma once

#include <functional>
#include <string>

#include "app/launcher_controls.h"
#include "support/fake_result_list.h"

namespace tolvanir::testing {

class fake_controls : public launcher_controls {
  public:
    // The window's EN_CHANGE handling.
    std::function<void()> on_text_changed;

    void reset_content() override { list.reset_content(); }
    int count() const override { return list.count(); }
    int add_string(const std::wstring& text) override { return list.add_string(text); }
    void set_item_data(int row, const std::wstring* data) override {
        list.set_item_data(row, data);
    }
    void set_cur_sel(int row) override { list.set_cur_sel(row); }

    std::wstring input_text() const override { return input; }
    void set_input_text(const std::wstring& text) override {
        input = text;
        if (on_text_changed) on_text_changed();
    }
    bool input_has_focus() const override { return focus_in_input; }
    void focus_input() override { focus_in_input = true; }
    int cur_sel() const override { return list.selected; }
    bool window_visible() const override { return visible; }
    void hide_window() override { visible = false; }

    // What a user does: type into the line.
    void type(const std::wstring& text) { set_input_text(input + text); }

    fake_result_list list;
    std::wstring input;
    bool focus_in_input = false;
    bool visible = true;
};

}  // namespace tolvanir::testing
