#pragma once

#include <string>
#include <string_view>

namespace tolvanir {

// The display name with each run of CJK ideographs (U+4E00..U+9FC3) replaced
// by its toneless pinyin read word by word, so that polyphonic characters take
// the reading their word gives them (yinhang, not yinxing), and a title that
// ends in U+4F20 reads it as a saga's zhuan; every other code unit is kept as
// it is. Empty when the name holds no such ideograph.
// Safe to call concurrently.
[[nodiscard]] std::wstring reading_text(std::wstring_view display_name);

}  // namespace tolvanir
