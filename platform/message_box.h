// A modal message to the user, with no owner window.
//
// Windows: MessageBoxW. POSIX: one line on standard error, answered "no", so
// nothing is ever confirmed without a person.
#pragma once

#include <string>

namespace tolvanir {

// Flags and results, with the values Win32 gives them.
constexpr unsigned message_box_ok = 0x0;
constexpr unsigned message_box_yes_no = 0x4;
constexpr unsigned message_box_icon_warning = 0x30;
constexpr unsigned message_box_icon_information = 0x40;
constexpr unsigned message_box_default_button2 = 0x100;
constexpr int message_box_result_ok = 1;
constexpr int message_box_result_yes = 6;
constexpr int message_box_result_no = 7;

// The button the user chose (message_box_result_*), or 0 if the box could
// not be shown.
int show_message_box(const std::wstring& text, const std::wstring& caption, unsigned flags);

}  // namespace tolvanir
