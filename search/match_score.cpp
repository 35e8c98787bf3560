#include "search/match_score.h"

#include <cstddef>
#include <cwchar>

namespace tolvanir {

namespace {

wchar_t ascii_upper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

// skipped / examined, written as the score is defined.
double score_of(std::size_t skipped, std::size_t examined) {
    return 1.0 - static_cast<double>(skipped) / static_cast<double>(examined);
}

}  // namespace

double match_score(std::wstring_view pattern, std::wstring_view text) {
    if (pattern.empty()) return 1.0;
    if (pattern.size() > text.size()) return 0.0;
    std::size_t i = 0, j = 0, skipped = 0;
    wchar_t lower = pattern[0];
    wchar_t upper = ascii_upper(lower);
    for (; j < text.size(); ++j) {
        const wchar_t c = text[j];
        if (c != lower && c != upper) {
            ++skipped;
            continue;
        }
        if (++i == pattern.size()) {
            ++j;
            break;
        }
        lower = pattern[i];
        upper = ascii_upper(lower);
    }
    if (i < pattern.size()) return 0.0;
    return score_of(skipped, j);
}

double match_score_folded(std::wstring_view pattern, std::wstring_view folded_text) {
    if (pattern.empty()) return 1.0;
    if (pattern.size() > folded_text.size()) return 0.0;
    const wchar_t* const begin = folded_text.data();
    const wchar_t* const end = begin + folded_text.size();
    const wchar_t* at = begin;
    for (const wchar_t c : pattern) {
        if (at == end) return 0.0;
        const wchar_t* hit = std::wmemchr(at, c, static_cast<std::size_t>(end - at));
        if (hit == nullptr) return 0.0;
        at = hit + 1;
    }
    const auto examined = static_cast<std::size_t>(at - begin);
    return score_of(examined - pattern.size(), examined);
}

}  // namespace tolvanir
