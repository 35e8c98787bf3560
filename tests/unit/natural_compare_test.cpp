#include "platform/natural_compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf8.h"

namespace tolvanir {
namespace {

int sign(int v) { return (v > 0) - (v < 0); }

// A name as the index keeps it.
std::string packed(const std::wstring& name) {
    std::string bytes;
    append_wtf8(bytes, name);
    return bytes;
}

struct ordered_pair {
    const wchar_t* a;
    const wchar_t* b;
    int expected;  // sign of natural_compare(a, b)
};

TEST(NaturalCompare, OrdersLikeTheShell) {
    const ordered_pair rows[] = {
        {L"App 2", L"app 3", -1},
        {L"app 3", L"App 10", -1},
        {L"App 2", L"App 10", -1},
        {L"file9.txt", L"file10.txt", -1},
        {L"v1.9", L"v1.10", -1},
        {L"Notepad", L"notepad", 0},
        {L"NOTEPAD", L"notepad", 0},
        {L"abc", L"abd", -1},
        {L"ab", L"abc", -1},
        {L"", L"a", -1},
        {L"", L"", 0},
        {L"Zeta", L"alpha", 1},
        {L"2x", L"ax", -1},
        {L"_x", L"ax", -1},
        {L"zz", L"\u4E2D", -1},      // Latin before CJK
        {L"\u4E00", L"\u4E2D", -1},  // CJK by code unit
        {L"100", L"99", 1},
        {L"12345678901234567890", L"12345678901234567891", -1},  // beyond 64 bits
        {L"Game 2 Demo", L"Game 2 demo", 0},
        {L"a2b", L"a02c", -1},
        {L"\u00C4rger", L"\u00E4rger", 0},  // folded beyond ASCII too
        {L"\u8BB0 2", L"\u8BB0 10", -1},
        // Where the names part, within a run of digits or a character.
        {L"a12x", L"a123", -1},
        {L"a012", L"a12", 0},
        {L"x\u8BB0a", L"x\u8BB1a", -1},
        {L"\u8BB0 19", L"\u8BB0 9", 1},
    };
    for (const ordered_pair& row : rows) {
        SCOPED_TRACE(std::wstring(row.a) + L" | " + row.b);
        EXPECT_EQ(sign(natural_compare(row.a, row.b)), row.expected);
        EXPECT_EQ(sign(natural_compare(row.b, row.a)), -row.expected);
        // The same on the names as the index keeps them.
        EXPECT_EQ(sign(natural_compare_packed(packed(row.a), packed(row.b))), row.expected);
        EXPECT_EQ(sign(natural_compare_packed(packed(row.b), packed(row.a))), -row.expected);
    }
}

// Where the platform makes sort keys, their order is the comparison's, and
// equal keys are names it finds equal.
TEST(NaturalCompare, SortKeysOrderLikeTheComparison) {
    const std::vector<std::wstring> names = {L"",           L"a",          L"A",
                                             L"App 2",      L"app 3",      L"App 10",
                                             L"app 02",     L"2x",         L"_x",
                                             L"ax",         L"x 9",        L"x9",
                                             L"x09y",       L"x9z",        L"100",
                                             L"99",         L"0",          L"00",
                                             L"a0",         L"a00b",       L"v1.10",
                                             L"v1.9",       L"\u4E2D",     L"\u4E00",
                                             L"\u00C4rger", L"\u00E4rger", L"Smile \U0001F600",
                                             L"zz",         L"Z",          L"12345678901234567890"};
    std::string probe;
    if (!append_natural_sort_key(L"a", probe)) GTEST_SKIP() << "no sort keys here";
    for (const std::wstring& a : names) {
        for (const std::wstring& b : names) {
            std::string ka, kb, packed_ka;
            ASSERT_TRUE(append_natural_sort_key(a, ka));
            ASSERT_TRUE(append_natural_sort_key(b, kb));
            EXPECT_EQ(sign(ka.compare(kb)), sign(natural_compare(a, b))) << ka.size();
            ASSERT_TRUE(append_natural_sort_key_packed(packed(a), packed_ka));
            EXPECT_EQ(packed_ka, ka);
        }
    }
}

}  // namespace
}  // namespace tolvanir
