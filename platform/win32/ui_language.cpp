#include "platform/ui_language.h"

#include <windows.h>

namespace tolvanir {

std::wstring ui_language_name() {
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    // The counts include the terminating null: 1 is an empty name, which
    // would make "-US" or "en-" and name no language file.
    wchar_t language[260] = {};
    if (GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, language, 260) <= 1) return L"zh-CN";
    wchar_t country[260] = {};
    if (GetLocaleInfoW(locale, LOCALE_SISO3166CTRYNAME, country, 260) <= 1) return language;
    return std::wstring(language) + L"-" + country;
}

}  // namespace tolvanir
