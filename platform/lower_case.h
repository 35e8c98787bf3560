// The platform's lower-case mapping for the user's default locale.
//
// Windows: LCMapStringW with LCMAP_LOWERCASE. POSIX: the C library's Unicode
// mapping (C.UTF-8). The result has the same length as the input.
#pragma once

#include <string>

namespace tolvanir {

std::wstring platform_lower_case(const std::wstring& text);

// One code unit; a unit that has no single-unit lower case stays as it is.
wchar_t platform_lower_char(wchar_t c);

}  // namespace tolvanir
