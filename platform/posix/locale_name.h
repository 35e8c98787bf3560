// A POSIX locale value ("en_US.UTF-8", "zh_TW@variant", "de") as the
// interface language name Windows would give.
#pragma once

#include <string>

namespace tolvanir {

// "language-COUNTRY", the language alone when the value names no country,
// and "zh-CN" when it names no language (C, POSIX, empty, or not an ISO 639
// code of two or three letters).
[[nodiscard]] std::wstring locale_name_from_posix(const std::string& value);

}  // namespace tolvanir
