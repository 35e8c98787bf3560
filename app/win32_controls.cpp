#include "app/win32_controls.h"

#include <algorithm>

namespace tolvanir {

void win32_controls::reset_content() {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    first_added_ = 0;
}

int win32_controls::count() const {
    return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
}

int win32_controls::add_string(const std::wstring& text) {
    const LRESULT row = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return row < 0 ? -1 : static_cast<int>(row);
}

void win32_controls::set_item_data(int row, const std::wstring* launch_text) {
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(launch_text));
}

void win32_controls::set_cur_sel(int row) {
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

// Thousands of rows would otherwise repaint and reallocate one by one; a few
// cost less than the repaint of the whole list that turning it back on takes.
void win32_controls::begin_fill(std::size_t rows) {
    first_added_ = count();
    quiet_fill_ = rows > quiet_fill_from;
    if (quiet_fill_) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}

// After LB_RESETCONTENT, which gives back the room made before it.
void win32_controls::reserve(std::size_t rows) {
    if (quiet_fill_) {
        SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(rows),
                     static_cast<LPARAM>(rows * 64));
    }
}

// Only what the added rows may show is painted again: a slice that goes in
// below the visible rows repaints nothing, and so leaves no painting waiting
// that would slow the next slice.
void win32_controls::end_fill() {
    if (!quiet_fill_) return;
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    RECT client = {}, first = {};
    GetClientRect(list, &client);
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(first_added_),
                     reinterpret_cast<LPARAM>(&first)) == LB_ERR) {
        InvalidateRect(list, nullptr, TRUE);
        return;
    }
    if (first.top >= client.bottom) return;
    client.top = std::max(client.top, first.top);
    InvalidateRect(list, &client, TRUE);
}

std::wstring win32_controls::input_text() const {
    const int length = GetWindowTextLengthW(input);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(input, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void win32_controls::set_input_text(const std::wstring& text) {
    SetWindowTextW(input, text.c_str());
}

bool win32_controls::input_has_focus() const { return GetFocus() == input; }

void win32_controls::focus_input() { SetFocus(input); }

int win32_controls::cur_sel() const {
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

bool win32_controls::window_visible() const { return IsWindowVisible(window) != FALSE; }

void win32_controls::hide_window() { ShowWindow(window, SW_HIDE); }

}  // namespace tolvanir
