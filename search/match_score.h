#pragma once

#include <cstddef>
#include <string_view>

namespace tolvanir {

// Greedy in-order subsequence test of a lower-cased pattern against a text;
// 0 means no match, otherwise 1 - skipped / examined, in (0, 1]. ASCII letters
// of the text match in either case.
[[nodiscard]] double match_score(std::wstring_view pattern, std::wstring_view text);

// 1 - skipped / examined, computed as every matcher must to give the same
// double.
[[nodiscard]] inline double match_score_of(std::size_t skipped, std::size_t examined) {
    return 1.0 - static_cast<double>(skipped) / static_cast<double>(examined);
}

}  // namespace tolvanir
