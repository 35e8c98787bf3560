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

// A name's characters one at a time, from wide units or from generalized
// UTF-8 (platform/utf8.h), whose code points are this platform's wide
// units. Digits are one unit in both, so digit runs are read unit by unit.
wchar_t unit_at(const std::wstring& name, std::size_t at, std::size_t& length) {
    length = 1;
    return name[at];
}

wchar_t unit_at(std::string_view name, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(name[at]);
    if (lead < 0x80) {
        length = 1;
        return static_cast<wchar_t>(lead);
    }
    std::uint32_t cp = 0;
    std::size_t extra = 0;
    if (lead >= 0xF0) {
        cp = lead & 0x07u, extra = 3;
    } else if (lead >= 0xE0) {
        cp = lead & 0x0Fu, extra = 2;
    } else {
        cp = lead & 0x1Fu, extra = 1;
    }
    if (name.size() - at <= extra) extra = name.size() - at - 1;  // cut short: not written so
    for (std::size_t k = 1; k <= extra; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(name[at + k]) & 0x3Fu);
    }
    length = extra + 1;
    return static_cast<wchar_t>(cp);
}

template <typename Text>
bool digit_at(const Text& name, std::size_t at) {
    return at < name.size() && is_digit(static_cast<wchar_t>(name[at]));
}

// Compares the digit runs starting at i and j by value and advances past them.
template <typename Text>
int compare_numbers(const Text& a, std::size_t& i, const Text& b, std::size_t& j) {
    while (a[i] == '0' && digit_at(a, i + 1)) ++i;
    while (b[j] == '0' && digit_at(b, j + 1)) ++j;
    std::size_t ei = i, ej = j;
    while (digit_at(a, ei)) ++ei;
    while (digit_at(b, ej)) ++ej;
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

bool continues_character(const std::wstring&, std::size_t) { return false; }
bool continues_character(std::string_view name, std::size_t at) {
    return (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80;
}

// Where the comparison may start: identical units compare equal, so the
// common start is skipped, but not into the middle of a character or of a
// run of digits, which compares as a whole.
template <typename Text>
std::size_t common_start(const Text& a, const Text& b) {
    const std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
    std::size_t at = 0;
    while (at < shorter && a[at] == b[at]) ++at;
    while (at > 0 && (digit_at(a, at - 1) || (at < a.size() && continues_character(a, at)))) --at;
    return at;
}

template <typename Text>
int compare_names(const Text& a, const Text& b) {
    std::size_t i = common_start(a, b), j = i;
    while (i < a.size() && j < b.size()) {
        if (digit_at(a, i) && digit_at(b, j)) {
            if (const int r = compare_numbers(a, i, b, j)) return r;
            continue;
        }
        std::size_t length_a = 0, length_b = 0;
        const wchar_t ca = unit_at(a, i, length_a), cb = unit_at(b, j, length_b);
        if (const int r = compare_char(ca, cb)) return r;
        i += length_a;
        j += length_b;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

void append_be(std::string& key, std::uint32_t value, int bytes) {
    for (int k = bytes - 1; k >= 0; --k)
        key.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

// Bytes that order as compare_char and compare_numbers do, one for most
// characters so that a few bytes of key tell most names apart: a run of
// digits is 01, its length without leading zeros (FF and four bytes from
// 255 digits on), then the digits; punctuation and spaces 02 plus their
// value; ASCII letters, folded, 82 to 9B; anything beyond ASCII, folded, A0
// and its value in three bytes (FF and four where it takes more).
// The key byte of each ASCII character that is no digit, as append_key
// writes it: names are mostly such characters.
struct ascii_key_table {
    constexpr ascii_key_table() : bytes() {
        for (int c = 0; c < 0x80; ++c) {
            const int folded = c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
            bytes[c] = static_cast<char>(folded >= 'a' && folded <= 'z' ? 0x82 + (folded - 'a')
                                                                        : 0x02 + c);
        }
    }
    char bytes[0x80];
};
constexpr ascii_key_table ascii_keys{};

std::uint32_t unit_value(const std::wstring& name, std::size_t at) {
    return static_cast<std::uint32_t>(name[at]);
}
std::uint32_t unit_value(std::string_view name, std::size_t at) {
    return static_cast<unsigned char>(name[at]);
}

template <typename Text>
void append_key(const Text& name, std::string& key) {
    for (std::size_t i = 0; i < name.size();) {
        const std::uint32_t unit = unit_value(name, i);
        if (unit < 0x80 && !is_digit(static_cast<wchar_t>(unit))) {
            key.push_back(ascii_keys.bytes[unit]);
            ++i;
            continue;
        }
        if (digit_at(name, i)) {
            while (name[i] == '0' && digit_at(name, i + 1)) ++i;
            std::size_t end = i;
            while (digit_at(name, end)) ++end;
            key.push_back(0x01);
            const auto digits = static_cast<std::uint32_t>(end - i);
            if (digits < 0xFF) {
                key.push_back(static_cast<char>(digits));
            } else {
                key.push_back(static_cast<char>(0xFF));
                append_be(key, digits, 4);
            }
            for (; i < end; ++i) key.push_back(static_cast<char>(name[i]));
            continue;
        }
        std::size_t length = 0;
        const auto c = static_cast<std::uint32_t>(fold(unit_at(name, i, length)));
        i += length;
        switch (char_class(static_cast<wchar_t>(c))) {
            case 1:
                key.push_back(static_cast<char>(0x02 + c));
                break;
            case 2:
                key.push_back(static_cast<char>(0x82 + (c - 'a')));
                break;
            default:
                if (c <= 0xFFFFFF) {
                    key.push_back(static_cast<char>(0xA0));
                    append_be(key, c, 3);
                } else {
                    key.push_back(static_cast<char>(0xFF));
                    append_be(key, c, 4);
                }
                break;
        }
    }
}

}  // namespace

bool append_natural_sort_key(const std::wstring& name, std::string& key) {
    append_key(name, key);
    return true;
}

bool append_natural_sort_key_packed(std::string_view name, std::string& key) {
    append_key(name, key);
    return true;
}

int natural_compare(const std::wstring& a, const std::wstring& b) { return compare_names(a, b); }

int natural_compare_packed(std::string_view a, std::string_view b) { return compare_names(a, b); }

}  // namespace tolvanir
