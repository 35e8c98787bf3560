#include "config/json_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/json_file.h"
#include "platform/utf8.h"
#include "support/json_event_log.h"

namespace tolvanir {
namespace {

using testing::read_events;

// Texts whose strings hold every kind of escape and character near wherever
// a piece may end, and faults that sit at the very end of the input.
const std::vector<std::string> texts = {
    R"({"list": [["a\"b\\c\/d\u00e9\u8BB0\uD83D\uDE00", "s", "p\np", "", " 7 "]]})",
    R"(["\ud800", "\udc00x", "\uD83D\u0041", "\uD83D\\", "\uDBFF\uDFFF", "\uD800\uD800\uDC00"])",
    "[\"caf\xC3\xA9 \xE8\xAE\xB0 \xF0\x9F\x98\x80\", \"                                   x\"]",
    "{\n    \"list\": [\n        [\n            \"3ds Max\",\n            \"0\"\n        ]\n    "
    "]\n}\n",
    "// note\n[1, -2.5e+3, true, false, null /* c */, \"\\b\\f\\r\\t\"]",
    "\xEF\xBB\xBF[\"bom\"]",
    "[\"cut \\u00",
    "[\"cut \\uD83D\\uDE",
    "[\"cut \xE8\xAE",
    "[\"no end",
    "[\"raw \x01 control\"]",
    "[\"bad \\x escape\"]",
    "[\"bad \\u12G4\"]",
    "[\"overlong \xC0\xAF\"]",
    "[\"surrogate \xED\xA0\x80\"]",
    "[\"a\"] x",
};

TEST(JsonReader, ReportsTheSameWhateverPiecesTheBytesComeIn) {
    for (const std::string& text : texts) {
        const auto whole = read_events(text);
        wptree tree;
        EXPECT_EQ(whole.first, parse_json_text(text, tree)) << text;
        for (const std::vector<std::size_t>& sizes :
             std::vector<std::vector<std::size_t>>{{1}, {2}, {3}, {5, 1}, {7}, {13, 2}, {17}}) {
            EXPECT_EQ(read_events(text, sizes), whole) << text << " in pieces of " << sizes[0];
        }
    }
}

// Long strings run across the reader's buffer: every piece boundary falls
// within an escape or a character somewhere.
TEST(JsonReader, LongStringsAcrossTheBufferReadBack) {
    std::string body;
    for (int k = 0; k < 70000; ++k)
        body += k % 3 == 0 ? "\\u8BB0" : k % 3 == 1 ? "\\\\" : "ab\xC3\xA9";
    const std::string text = "[\"" + body + "\", \"" + body + "\"]";
    const auto whole = read_events(text);
    ASSERT_TRUE(whole.first);
    EXPECT_EQ(read_events(text, {4093}), whole);
    EXPECT_EQ(read_events(text, {1, 65537}), whole);
}

// Paths come with every separator escaped, and such escapes are read many to
// a vector: packed together, at a vector's last byte, beside escaped
// backslashes and other escapes, from every start within a vector.
TEST(JsonReader, EscapedSlashesReadAsTheTreeReadsThem) {
    for (const char* body : {R"(C:\/Users\/a\/b\/c\/d\/e\/f\/g\/h.lnk)", R"(abcdefghijklmn\/o\/)",
                             R"(\\\/\\\\\/\/\/x\\)", R"(\/\/\/\/\/\/\/\/\/\/\/\/\/\/\/\/\/\/)",
                             R"(\/\u00e9\/\"\/\n\/)"}) {
        for (std::size_t start = 0; start < 16; ++start) {
            const std::string text = "[\"" + std::string(start, 'a') + body + "\"]";
            wptree tree;
            ASSERT_TRUE(parse_json_text(text, tree)) << text;
            const std::string events = "[v" + to_utf8(tree.front().second.data()) + '\0' + ']';
            for (const std::vector<std::size_t>& sizes :
                 std::vector<std::vector<std::size_t>>{{}, {1}, {3}, {19}}) {
                EXPECT_EQ(read_events(text, sizes), std::make_pair(true, events)) << text;
            }
        }
    }
}

}  // namespace
}  // namespace tolvanir
