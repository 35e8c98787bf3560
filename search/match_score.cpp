#include "search/match_score.h"

#include <cstddef>

namespace tolvanir {

namespace {

wchar_t ascii_upper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
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
    return match_score_of(skipped, j);
}

}  // namespace tolvanir
