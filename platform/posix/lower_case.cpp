#include "platform/lower_case.h"

#include <locale.h>
#include <wctype.h>

namespace tolvanir {

namespace {

// C.UTF-8 carries the full Unicode case tables whatever the process locale is.
locale_t unicode_locale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }();
    return loc;
}

}  // namespace

wchar_t platform_lower_char(wchar_t c) {
    return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), unicode_locale()));
}

std::wstring platform_lower_case(const std::wstring& text) {
    std::wstring lowered(text);
    for (wchar_t& c : lowered) c = platform_lower_char(c);
    return lowered;
}

}  // namespace tolvanir
