#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace tolvanir {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::wstring texts[] = {L"",
                                  L"ascii",
                                  L"caf\u00E9",
                                  L"\u8BB0\u4E8B\u672C",
                                  L"\U0001F600 and \U00020000",
                                  L"\U0010FFFF\uFFFD\u0080"};
    for (const std::wstring& text : texts) EXPECT_EQ(from_utf8(to_utf8(text)), text);
    EXPECT_EQ(to_utf8(L"\u8BB0\U0001F600"), "\xE8\xAE\xB0\xF0\x9F\x98\x80");
}

TEST(Utf8, RefusesWhatIsNotUtf8) {
    const std::string bad[] = {
        "\xFF",
        "\x80",
        "\xC3",
        "\xE8\xAE",
        "\xC0\xAF",  // stray, truncated, overlong
        "\xE0\x80\xAF",
        "\xED\xA0\x80",  // overlong, an encoded surrogate
        "\xF4\x90\x80\x80",
        "\xF8\x88\x80\x80\x80",
        "ok\xC3(",
    };
    for (const std::string& bytes : bad) {
        EXPECT_THROW((void)from_utf8(bytes), std::range_error) << ::testing::PrintToString(bytes);
    }
}

// The index keeps its texts so: every wide string must come back exactly,
// an unpaired surrogate (a name on NTFS may hold one) included, long ASCII
// runs (read sixteen bytes at a time) as well as the bytes after them.
TEST(Utf8, GeneralizedUtf8KeepsEveryWideString) {
    const std::wstring half(1, static_cast<wchar_t>(0xDC00));
    const std::wstring texts[] = {L"", L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\x.lnk",
                                  L"0123456789abcdef\u8BB0" + std::wstring(40, L'a') + L"\u00E9",
                                  L"\u8BB0\u4E8B\u672C\U0001F600 and \U00020000",
                                  L"a" + half + L"b" + std::wstring(17, L'x') + half};
    for (const std::wstring& text : texts) {
        std::string packed;
        append_wtf8(packed, text);
        EXPECT_EQ(from_wtf8(packed), text) << ::testing::PrintToString(packed);
        std::wstring appended = L"kept";
        append_from_wtf8(appended, packed);
        EXPECT_EQ(appended, L"kept" + text);
    }
    std::string packed;
    append_wtf8(packed, L"a" + half);
    EXPECT_EQ(packed, "a\xED\xB0\x80") << "a half alone is encoded as if it were a character";
}

// Rows are printed from the packed texts: the same bytes as the wide text's.
TEST(Utf8, PackedTextsGiveTheUtf8OfTheirWideText) {
    const auto unit = [](unsigned u) { return std::wstring(1, static_cast<wchar_t>(u)); };
    const std::wstring texts[] = {
        L"", L"C:\\x.lnk \u00E9\u8BB0\U0001F600", unit(0xD800) + L"x" + unit(0xDFFF),
        L"\uD7FF\uE000" + unit(0xDBFF), unit(0xD83D) + unit(0xDE00) + unit(0xDE00) + unit(0xD83D)};
    for (const std::wstring& text : texts) {
        std::string packed, printed = "kept";
        append_wtf8(packed, text);
        append_utf8_of_wtf8(printed, packed);
        EXPECT_EQ(printed, "kept" + to_utf8(text)) << ::testing::PrintToString(packed);
    }
}

TEST(Utf8, LoneSurrogatesBecomeReplacementCharacters) {
    std::wstring lone;
    lone.push_back(static_cast<wchar_t>(0xD800));
    lone += L"x";
    EXPECT_EQ(to_utf8(lone), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace tolvanir
