#pragma once

#include <string_view>

namespace tolvanir {

// Greedy in-order subsequence test of a lower-cased pattern against a text;
// 0 means no match, otherwise 1 - skipped / examined, in (0, 1]. ASCII letters
// of the text match in either case.
[[nodiscard]] double match_score(std::wstring_view pattern, std::wstring_view text);

// The same score for a pattern without ASCII capitals against a text whose
// ASCII capitals were lowered beforehand: then a match is plain equality, and
// each pattern character is found with one vectorised search.
[[nodiscard]] double match_score_folded(std::wstring_view pattern, std::wstring_view folded_text);

}  // namespace tolvanir
