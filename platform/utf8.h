// UTF-8 against the platform's wide strings (UTF-16 where wchar_t has 16
// bits, UTF-32 where it has 32).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvanir {

// Throws std::range_error for bytes that are not UTF-8 (overlong forms and
// encoded surrogates included).
[[nodiscard]] std::wstring from_utf8(const std::string& bytes);
// Unpaired surrogates become U+FFFD rather than failing.
[[nodiscard]] std::string to_utf8(const std::wstring& text);

// What a lead byte of UTF-8 starts: how many continuation bytes follow, the
// bits it gives the code point, and the least code point a sequence of that
// length may hold (anything less is an overlong form).
struct utf8_lead {
    int extra;
    std::uint32_t bits;
    std::uint32_t least;
};
// False for a byte that starts no sequence of strict UTF-8.
[[nodiscard]] bool read_utf8_lead(unsigned char lead, utf8_lead& sequence);
// Whether a decoded sequence is strict UTF-8: not overlong, no surrogate, not
// past U+10FFFF.
[[nodiscard]] constexpr bool is_strict_utf8(std::uint32_t code_point, std::uint32_t least) {
    return code_point >= least && (code_point < 0xD800 || code_point > 0xDFFF) &&
           code_point <= 0x10FFFF;
}

// Appends one code point (up to U+10FFFF; a surrogate's value is encoded as
// if it were a character) as UTF-8.
void append_utf8(std::string& out, std::uint32_t code_point);

// Generalized UTF-8, for texts kept in memory: like UTF-8, but an unpaired
// surrogate is encoded as if it were a character, so every wide string comes
// back exactly (a name on NTFS may hold one). Half the size of UTF-16 for the
// mostly ASCII texts of paths and pinyin.
void append_wtf8(std::string& out, std::wstring_view text);
// The inverse, for bytes that append_wtf8 wrote; appends to `out`.
void append_from_wtf8(std::wstring& out, std::string_view bytes);
[[nodiscard]] std::wstring from_wtf8(std::string_view bytes);
// The UTF-8 of what append_wtf8 wrote: what to_utf8 gives for the wide text,
// without making it (an unpaired surrogate becomes U+FFFD).
void append_utf8_of_wtf8(std::string& out, std::string_view bytes);
// The wide units one character of generalized UTF-8 takes, from its lead
// byte: 0 for a continuation byte; 2 for a 4-byte sequence where wchar_t
// holds UTF-16.
[[nodiscard]] constexpr unsigned wide_units_of(unsigned char byte) {
    return (byte & 0xC0) == 0x80 ? 0 : (sizeof(wchar_t) == 2 && byte >= 0xF0) ? 2 : 1;
}

}  // namespace tolvanir
