// UTF-8 against the platform's wide strings (UTF-16 where wchar_t has 16
// bits, UTF-32 where it has 32).
#pragma once

#include <string>

namespace tolvanir {

// Throws std::range_error for bytes that are not UTF-8 (overlong forms and
// encoded surrogates included).
[[nodiscard]] std::wstring from_utf8(const std::string& bytes);
// Unpaired surrogates become U+FFFD rather than failing.
[[nodiscard]] std::string to_utf8(const std::wstring& text);

}  // namespace tolvanir
