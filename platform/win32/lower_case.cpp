#include "platform/lower_case.h"

#include <windows.h>

namespace tolvanir {

std::wstring platform_lower_case(const std::wstring& text) {
    if (text.empty()) return text;
    std::wstring lowered(text.size(), L'\0');
    const int n =
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, text.data(),
                     static_cast<int>(text.size()), &lowered[0], static_cast<int>(lowered.size()));
    // LCMAP_LOWERCASE keeps the length; anything else means the call failed.
    if (n != static_cast<int>(text.size())) return text;
    return lowered;
}

wchar_t platform_lower_char(wchar_t c) {
    wchar_t lowered = c;
    if (LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, &c, 1, &lowered, 1) != 1) return c;
    return lowered;
}

}  // namespace tolvanir
