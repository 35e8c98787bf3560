#include "platform/natural_compare.h"

#include <cstddef>
#include <cstdint>

#include "platform/lower_case.h"

namespace tolvanir {

namespace {

bool is_digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

wchar_t fold(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
    if (c < 0x80) return c;
    return platform_lower_char(c);
}

// Digits come before any other character, punctuation and spaces before
// letters, and ASCII letters before everything beyond ASCII (CJK text then
// orders by code unit).
int char_class(wchar_t c) {
    if (is_digit(c)) return 0;
    if (c >= 0x80) return 3;
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')) return 2;
    return 1;
}

int compare_char(wchar_t a, wchar_t b) {
    a = fold(a);
    b = fold(b);
    if (a == b) return 0;
    const int ca = char_class(a), cb = char_class(b);
    if (ca != cb) return ca < cb ? -1 : 1;
    return a < b ? -1 : 1;
}

// Compares the digit runs starting at i and j by value and advances past them.
int compare_numbers(const std::wstring& a, std::size_t& i, const std::wstring& b, std::size_t& j) {
    while (i < a.size() && a[i] == L'0' && i + 1 < a.size() && is_digit(a[i + 1])) ++i;
    while (j < b.size() && b[j] == L'0' && j + 1 < b.size() && is_digit(b[j + 1])) ++j;
    std::size_t ei = i, ej = j;
    while (ei < a.size() && is_digit(a[ei])) ++ei;
    while (ej < b.size() && is_digit(b[ej])) ++ej;
    int result = 0;
    if (ei - i != ej - j) {
        result = ei - i < ej - j ? -1 : 1;
    } else {
        for (std::size_t k = 0; k < ei - i; ++k) {
            if (a[i + k] != b[j + k]) {
                result = a[i + k] < b[j + k] ? -1 : 1;
                break;
            }
        }
    }
    i = ei;
    j = ej;
    return result;
}

void append_be(std::string& key, std::uint32_t value, int bytes) {
    for (int k = bytes - 1; k >= 0; --k)
        key.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

}  // namespace

// Each character's class, then its folded value (one byte below U+0080,
// four above), so that both decide in the order compare_char does; a run
// of digits is the class of digits, the run's length without its leading
// zeros, then those digits, as compare_numbers decides.
bool append_natural_sort_key(const std::wstring& name, std::string& key) {
    for (std::size_t i = 0; i < name.size();) {
        if (is_digit(name[i])) {
            while (name[i] == L'0' && i + 1 < name.size() && is_digit(name[i + 1])) ++i;
            std::size_t end = i;
            while (end < name.size() && is_digit(name[end])) ++end;
            key.push_back(0);
            append_be(key, static_cast<std::uint32_t>(end - i), 4);
            for (; i < end; ++i) key.push_back(static_cast<char>(name[i]));
            continue;
        }
        const wchar_t c = fold(name[i++]);
        const int kind = char_class(c);
        key.push_back(static_cast<char>(kind));
        append_be(key, static_cast<std::uint32_t>(c), kind == 3 ? 4 : 1);
    }
    return true;
}

int natural_compare(const std::wstring& a, const std::wstring& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            if (const int r = compare_numbers(a, i, b, j)) return r;
            continue;
        }
        if (const int r = compare_char(a[i], b[j])) return r;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace tolvanir
