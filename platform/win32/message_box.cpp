#include "platform/message_box.h"

#include <windows.h>

namespace tolvanir {

static_assert(message_box_ok == MB_OK);
static_assert(message_box_yes_no == MB_YESNO);
static_assert(message_box_icon_warning == MB_ICONWARNING);
static_assert(message_box_icon_information == MB_ICONINFORMATION);
static_assert(message_box_default_button2 == MB_DEFBUTTON2);
static_assert(message_box_result_ok == IDOK);
static_assert(message_box_result_yes == IDYES);
static_assert(message_box_result_no == IDNO);

int show_message_box(const std::wstring& text, const std::wstring& caption, unsigned flags) {
    return MessageBoxW(nullptr, text.c_str(), caption.c_str(), flags);
}

}  // namespace tolvanir
