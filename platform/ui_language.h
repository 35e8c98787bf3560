// The user's interface language as "language-COUNTRY" (en-US, zh-CN, zh-TW),
// or the language alone when no country is known.
//
// Windows: GetUserDefaultUILanguage and its ISO 639 / ISO 3166 names.
// POSIX: LC_ALL, LC_MESSAGES, then LANG.
#pragma once

#include <string>

namespace tolvanir {

// "zh-CN" when no language can be found.
[[nodiscard]] std::wstring ui_language_name();

}  // namespace tolvanir
