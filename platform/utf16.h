// UTF-16 code units in wide strings: surrogate pairs kept whole.
//
// Windows hands out texts that are not always well formed: names on NTFS may
// hold unpaired surrogates, and fixed buffers cut texts without regard to
// pairs. Such a half cannot be written as UTF-8 and, escaped, cannot be read
// back, so it is replaced or dropped before it reaches a file.
#pragma once

#include <cstddef>
#include <string>

namespace tolvanir {

constexpr wchar_t replacement_character = 0xFFFD;

[[nodiscard]] constexpr bool is_high_surrogate(unsigned long unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] constexpr bool is_low_surrogate(unsigned long unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Whether the unit at `at` is a surrogate without its partner.
[[nodiscard]] bool is_lone_surrogate(const std::wstring& text, std::size_t at);

// Every unpaired surrogate becomes U+FFFD; true when any was replaced.
bool replace_lone_surrogates(std::wstring& text);

// At most `limit` units of `text`, one fewer when the cut would split a pair.
[[nodiscard]] std::wstring cut_at_pair_boundary(const std::wstring& text, std::size_t limit);

// A text that a fixed buffer may have cut: a high surrogate that ends it is
// the first half of a pair the buffer had no room for, and goes.
void drop_cut_half(std::wstring& text);

}  // namespace tolvanir
