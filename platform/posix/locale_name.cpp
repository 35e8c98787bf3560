#include "platform/posix/locale_name.h"

namespace tolvanir {

namespace {

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

std::wstring widened(const std::string& ascii, bool upper) {
    std::wstring wide;
    for (const char c : ascii) {
        char mapped = c;
        if (upper && c >= 'a' && c <= 'z') mapped = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') mapped = static_cast<char>(c - 'A' + 'a');
        wide.push_back(static_cast<wchar_t>(mapped));
    }
    return wide;
}

bool all_of(const std::string& text, bool (*test)(char)) {
    for (const char c : text) {
        if (!test(c)) return false;
    }
    return true;
}

}  // namespace

std::wstring locale_name_from_posix(const std::string& value) {
    // language[_territory][.codeset][@modifier]
    const std::string name = value.substr(0, value.find_first_of(".@"));
    const std::size_t underscore = name.find('_');
    const std::string language = name.substr(0, underscore);
    if (language.size() < 2 || language.size() > 3 || !all_of(language, is_ascii_letter)) {
        return L"zh-CN";
    }
    if (underscore == std::string::npos) return widened(language, false);

    // ISO 3166 letters, or the numeric regions Windows also reports (es_419).
    const std::string territory = name.substr(underscore + 1);
    const bool letters = territory.size() == 2 && all_of(territory, is_ascii_letter);
    const bool digits = territory.size() == 3 && all_of(territory, is_ascii_digit);
    if (!letters && !digits) return widened(language, false);
    return widened(language, false) + L"-" + widened(territory, true);
}

}  // namespace tolvanir
