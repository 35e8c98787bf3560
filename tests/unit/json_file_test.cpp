#include "config/json_file.h"

#include <gtest/gtest.h>

#include <boost/property_tree/json_parser.hpp>
#include <string>

#include "support/parsed_json.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using testing::read_bytes;
using testing::temp_dir;
using testing::write_bytes;

using testing::parsed;

// A text with one unpaired surrogate between "a" and "b".
std::wstring with_half(unsigned unit) { return L"a" + std::wstring(1, wchar_t(unit)) + L"b"; }

TEST(JsonText, FormatsValuesAsEscapedStrings) {
    const struct {
        std::wstring value;
        std::string written;
        std::wstring read_back = value;
    } rows[] = {
        {L"plain", "\"plain\""},
        {L"3", "\"3\""},
        {L"C:\\a/b", "\"C:\\\\a\\/b\""},
        {L"say \"hi\"", "\"say \\\"hi\\\"\""},
        {L"line\nbreak\ttab", "\"line\\nbreak\\ttab\""},
        {L"caf\u00E9", "\"caf\xC3\xA9\""},        // up to U+00FF raw UTF-8
        {L"\u0100\u8BB0", "\"\\u0100\\u8BB0\""},  // beyond it escaped, capitals
        {L"\U0001F600", "\"\\uD83D\\uDE00\""},    // beyond U+FFFF: a surrogate pair
        {L"", "\"\""},
        // A half of a pair (NTFS names, texts cut short) must still read back.
        {with_half(0xD800), "\"a\\uFFFDb\"", L"a\uFFFDb"},
        {with_half(0xDC00), "\"a\\uFFFDb\"", L"a\uFFFDb"},
        {std::wstring(1, wchar_t(0xDBFF)), "\"\\uFFFD\"", L"\uFFFD"},
    };
    for (const auto& row : rows) {
        wptree tree;
        tree.put(L"k", row.value);
        EXPECT_EQ(format_json_text(tree), "{\n    \"k\": " + row.written + "\n}\n");
        std::string direct;
        append_json_string(direct, row.value);
        EXPECT_EQ(direct, row.written);
        wptree back;
        ASSERT_TRUE(parse_json_text(format_json_text(tree), back));
        EXPECT_EQ(back.get<std::wstring>(L"k"), row.read_back) << "round trip of " << row.written;
    }
}

TEST(JsonText, ReadsWhatPeopleWriteByHand) {
    const wptree tree = parsed(
        "// settings\n{ /* note */ \"n\": 42, \"t\": true, \"f\": false, \"z\": null,\n"
        "  \"u\": \"\\u8BB0\", \"raw\": \"\xE8\xAE\xB0\", \"a\": [1, \"2\"] }");
    EXPECT_EQ(tree.get<std::wstring>(L"n"), L"42");
    EXPECT_EQ(tree.get<std::wstring>(L"t"), L"true");
    EXPECT_EQ(tree.get<std::wstring>(L"f"), L"false");
    EXPECT_EQ(tree.get<std::wstring>(L"z"), L"null");
    EXPECT_EQ(tree.get<std::wstring>(L"u"), L"\u8BB0");
    EXPECT_EQ(tree.get<std::wstring>(L"raw"), L"\u8BB0");
    EXPECT_EQ(tree.get_child(L"a").size(), 2u);
    EXPECT_EQ(parsed("{\"s\": \"\xF0\x9F\x98\x80\"}").get<std::wstring>(L"s"), L"\U0001F600");
    EXPECT_EQ(parsed("{\"s\": \"a // b /* c */\"}").get<std::wstring>(L"s"), L"a // b /* c */");
    // Halves of pairs that older builds wrote: read as U+FFFD, not refused.
    const wptree halves = parsed(
        "{\"h\": \"a\\ud800b\", \"l\": \"\\uDC00\", \"two\": \"\\ud800\\ud800\\udc00\",\n"
        " \"pair\": \"\\ud83d\\ude00\", \"text\": \"\\\\ud800\"}");
    EXPECT_EQ(halves.get<std::wstring>(L"h"), L"a\uFFFDb");
    EXPECT_EQ(halves.get<std::wstring>(L"l"), L"\uFFFD");
    EXPECT_EQ(halves.get<std::wstring>(L"two"), L"\uFFFD\U00010000");
    EXPECT_EQ(halves.get<std::wstring>(L"pair"), L"\U0001F600");
    EXPECT_EQ(halves.get<std::wstring>(L"text"), L"\\ud800");  // an escaped backslash
    // Editors that mark UTF-8 with a byte-order mark.
    EXPECT_EQ(parsed("\xEF\xBB\xBF{\"a\": \"1\"}").get<std::wstring>(L"a"), L"1");
}

TEST(JsonText, RefusesBrokenInputAndKeepsTheTree) {
    const std::string nested_ok =
        std::string(max_json_depth, '[') + std::string(max_json_depth, ']');
    wptree ok;
    EXPECT_TRUE(parse_json_text(nested_ok, ok));

    const std::string broken[] = {
        "",
        "{",
        "{\"a\": }",
        "{\"a\": \"\xFF\xFE\"}",  // not UTF-8
        "{\"a\": 1 /* unterminated",
        "{\"a\": \"x\"} trailing",
        std::string(max_json_depth + 1, '[') + std::string(max_json_depth + 1, ']'),
        std::string(200000, '['),  // would exhaust the stack if parsed
        "{\"a\": \"/* not a comment */\", \"b\": " + std::string(200000, '[') + "}",
    };
    for (const std::string& text : broken) {
        wptree tree;
        tree.put(L"kept", L"yes");
        EXPECT_FALSE(parse_json_text(text, tree)) << text.substr(0, 40);
        EXPECT_EQ(tree.get<std::wstring>(L"kept", L""), L"yes");
    }
}

TEST(JsonText, RefusesTreesJsonCannotHold) {
    wptree tree;
    tree.put(L"a", L"value");
    tree.put(L"a.b", L"child");  // a node with a value and children
    EXPECT_THROW((void)format_json_text(tree), boost::property_tree::json_parser_error);
}

TEST(JsonFile, ReadsWritesAndReplacesDurably) {
    temp_dir dir(L"\u6570\u636E");  // 数据: a CJK directory name
    const auto file = dir / L"\u8BBE\u7F6E.json";
    wptree tree;
    tree.put(L"name", L"\u8BB0\u4E8B\u672C");
    write_json_file(tree, file);
    EXPECT_EQ(read_bytes(file), "{\n    \"name\": \"\\u8BB0\\u4E8B\\u672C\"\n}\n");

    tree.put(L"name", L"second");
    write_json_file(tree, file);
    wptree back;
    ASSERT_TRUE(read_json_file(back, file));
    EXPECT_EQ(back.get<std::wstring>(L"name"), L"second");
    EXPECT_FALSE(boost::filesystem::exists(dir / L"\u8BBE\u7F6E.json.tmp"));
}

TEST(JsonFile, MissingFileFailsAndLeavesNoTrace) {
    temp_dir dir;
    wptree tree;
    EXPECT_FALSE(read_json_file(tree, dir / L"missing.json"));
    EXPECT_TRUE(boost::filesystem::is_empty(dir.path()));
}

TEST(JsonFile, BrokenFileIsMovedAsideNotDeleted) {
    temp_dir dir;
    const auto file = dir / L"Settings.json";
    write_bytes(dir / L"Settings.json.bad", "older");
    write_bytes(file, "{ \"first_run\": fals }");
    wptree tree;
    tree.put(L"kept", L"1");
    EXPECT_FALSE(read_json_file(tree, file));
    EXPECT_EQ(tree.get<std::wstring>(L"kept"), L"1");
    EXPECT_FALSE(boost::filesystem::exists(file));
    EXPECT_EQ(read_bytes(dir / L"Settings.json.bad"), "{ \"first_run\": fals }");
}

TEST(JsonFile, FailedWriteThrowsAndKeepsTheOldFile) {
    temp_dir dir;
    wptree tree;
    tree.put(L"a", L"1");
    try {
        write_json_file(tree, dir / L"no such dir" / L"x.json");
        FAIL() << "no exception";
    } catch (const boost::property_tree::json_parser_error& error) {
        EXPECT_EQ(error.message(), "write error");
    }

    const auto file = dir / L"x.json";
    write_bytes(file, "old");
    tree.put(L"a.b", L"2");  // cannot be represented: nothing may be written
    EXPECT_THROW(write_json_file(tree, file), boost::property_tree::json_parser_error);
    EXPECT_EQ(read_bytes(file), "old");
}

}  // namespace
}  // namespace tolvanir
