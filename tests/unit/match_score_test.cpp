#include "search/match_score.h"

#include <gtest/gtest.h>

namespace tolvanir {
namespace {

struct score_row {
    const wchar_t* pattern;
    const wchar_t* text;
    double expected;
};

TEST(MatchScore, GreedyInOrderSubsequence) {
    const wchar_t* notepad_zh = L"\u8BB0\u4E8B\u672CNotepadnotepadjishiben";  // 记事本Notepad...
    const score_row rows[] = {
        {L"", L"anything", 1.0},
        {L"", L"", 1.0},
        {L"ab", L"axxab", 0.4},     // the first 'a' is kept, never reconsidered
        {L"not", L"Notepad", 1.0},  // through the upper-case form
        {L"notepad", L"notepad.exe", 1.0},
        {L"pd", L"Notepad", 1.0 - 5.0 / 7.0},
        {L"\u8BB0\u4E8B\u672C", notepad_zh, 1.0},
        {L"notepad", notepad_zh, 0.7},
        {L"jsb", notepad_zh, 1.0 - 20.0 / 23.0},
        {L"abc", L"ab", 0.0},  // longer than the text
        {L"ba", L"ab", 0.0},   // out of order
        {L"x", L"abc", 0.0},
        {L"a", L"A", 1.0},
        {L"A", L"a", 0.0},            // only the pattern's lower case is widened
        {L"\u00e9", L"\u00c9", 0.0},  // no case folding beyond ASCII
        {L"1", L"v1", 0.5},
    };
    for (const score_row& row : rows) {
        SCOPED_TRACE(std::wstring(row.pattern) + L" in " + row.text);
        EXPECT_DOUBLE_EQ(match_score(row.pattern, row.text), row.expected);
    }
}

TEST(MatchScore, StaysWithinZeroAndOne) {
    const wchar_t* texts[] = {L"a", L"ba", L"xxxxxxxxxxxxxxxxxxxxxxxxa", L"aaaa"};
    for (const wchar_t* text : texts) {
        const double s = match_score(L"a", text);
        EXPECT_GT(s, 0.0);
        EXPECT_LE(s, 1.0);
    }
}

}  // namespace
}  // namespace tolvanir
