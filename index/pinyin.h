#pragma once

#include <string>

namespace tolvanir {

// Concatenated toneless pinyin of the CJK ideographs in text (no separators);
// every other code unit is dropped, so "3D\u97F3\u4E50" gives "yinle".
// Safe to call concurrently.
std::wstring to_pinyin(const std::wstring& text);

}  // namespace tolvanir
