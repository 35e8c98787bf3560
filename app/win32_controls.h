// The launcher window's EDIT and LISTBOX behind the logic's interface.
#pragma once

#include <windows.h>

#include "app/launcher_controls.h"

namespace tolvanir {

class win32_controls : public launcher_controls {
  public:
    HWND window = nullptr;
    HWND input = nullptr;
    HWND list = nullptr;

    // Fills of more rows than this turn repainting off meanwhile: from about
    // a screenful, rows repainted as they come cost more than one repaint of
    // the list, most of all names drawn in a linked font (Chinese, Japanese).
    static constexpr std::size_t quiet_fill_from = 16;

    void reset_content() override;
    [[nodiscard]] int count() const override;
    int add_string(const std::wstring& text) override;
    void set_item_data(int row, const std::wstring* launch_text) override;
    void set_cur_sel(int row) override;
    void begin_fill(std::size_t rows) override;
    void reserve(std::size_t rows) override;
    void end_fill() override;

    [[nodiscard]] std::wstring input_text() const override;
    void set_input_text(const std::wstring& text) override;
    [[nodiscard]] bool input_has_focus() const override;
    void focus_input() override;
    [[nodiscard]] int cur_sel() const override;
    [[nodiscard]] bool window_visible() const override;
    void hide_window() override;

  private:
    bool quiet_fill_ = false;
    int first_added_ = 0;  // the first row the fill under way adds
};

}  // namespace tolvanir
