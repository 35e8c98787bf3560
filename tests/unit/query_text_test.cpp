#include "search/query_text.h"

#include <gtest/gtest.h>

namespace tolvanir {
namespace {

TEST(NormalizeQuery, LowersAndDropsSpacesOnly) {
    const struct {
        const wchar_t* typed;
        const wchar_t* expected;
    } rows[] = {
        {L"", L""},
        {L"   ", L""},
        {L"No Te", L"note"},
        {L" !About", L"!about"},
        {L"a\tb", L"a\tb"},                  // only U+0020 is removed
        {L"a\u3000b", L"a\u3000b"},          // ideographic space stays
        {L"\u00C0B", L"\u00C0b"},            // Latin-1 letters stay as typed
        {L"\u0100\u0102", L"\u0101\u0103"},  // from U+0100 up the platform lowers
        {L"\u0414\u041E", L"\u0434\u043E"},  // Cyrillic
        {L"\u8BB0\u4E8B\u672C", L"\u8BB0\u4E8B\u672C"},
        {L"Q1 2", L"q12"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(normalize_query(row.typed), row.expected);
    }
}

}  // namespace
}  // namespace tolvanir
