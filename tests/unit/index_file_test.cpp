#include "index/index_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "config/kept_file.h"
#include "support/file_attributes.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using testing::read_bytes;
using testing::temp_dir;
using testing::test_data;
using testing::write_bytes;

program_item make_item(std::wstring name, std::wstring search, std::wstring path,
                       std::wstring target, std::uint32_t uses) {
    return program_item{std::move(name), std::move(search), std::move(path), std::move(target),
                        static_cast<std::int32_t>(uses)};
}

std::vector<program_item> items_of(const tolvanir_list& index) { return index.copy_items(); }

bool same(const program_item& a, const program_item& b) {
    return a.display_name == b.display_name && a.search_text == b.search_text && a.path == b.path &&
           a.target == b.target && a.use_count == b.use_count;
}

const program_item notepad = make_item(
    L"\u8BB0\u4E8B\u672C", L"\u8BB0\u4E8B\u672CNotepadnotepadjishiben",
    L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Accessories\\Notepad.lnk",
    L"C:\\Windows\\system32\\notepad.exe", 3);
const program_item cafe = make_item(L"Caf\u00E9 Tool", L"Caf\u00E9Toolcafe",
                                    L"D:/tools/cafe \"x\".exe", L"", 0xFFFFFFFFu);

TEST(IndexFile, WritesTheExactLayoutInNameOrderWithoutDuplicates) {
    temp_dir dir;
    tolvanir_list index;
    index.insert_item(notepad);
    index.insert_item(cafe);
    program_item twin = notepad;  // the same shortcut in the other Start Menu
    twin.path = L"C:\\Users\\u\\Start Menu\\Notepad.lnk";
    twin.use_count = 9;
    index.insert_item(twin);

    ASSERT_TRUE(save_index(index, dir / L"Index.json"));
    EXPECT_EQ(read_bytes(dir / L"Index.json"), test_data("index_two_items.json"));
}

TEST(IndexFile, EmptyIndexIsAnEmptyStringAndLoadsNothing) {
    temp_dir dir;
    tolvanir_list empty;
    ASSERT_TRUE(save_index(empty, dir / L"Index.json"));
    EXPECT_EQ(read_bytes(dir / L"Index.json"), test_data("index_empty.json"));

    tolvanir_list loaded;
    load_index(loaded, dir / L"Index.json");
    EXPECT_TRUE(items_of(loaded).empty());
    EXPECT_FALSE(loaded.is_changed());
}

TEST(IndexFile, LoadsBackWhatItWrote) {
    wptree tree;
    ASSERT_TRUE(parse_json_text(test_data("index_two_items.json"), tree));
    tolvanir_list index;
    load_index_tree(tree, index, [](const std::wstring&) { return true; });
    const std::vector<program_item> items = items_of(index);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(same(items[0], cafe));
    EXPECT_TRUE(same(items[1], notepad));
    EXPECT_TRUE(index.is_changed());
    EXPECT_TRUE(index.contains_path(notepad.path));
}

TEST(IndexFile, ElementsAreReadByPosition) {
    const auto exists = [](const std::wstring& path) { return path != L"gone"; };
    const struct {
        const char* list;
        std::vector<std::pair<std::wstring, std::int32_t>> expected;  // path, use count
    } rows[] = {
        {R"([["n","s","p","t",7]])", {{L"p", 7}}},  // a bare number
        {R"([["n","s","p","t"," 8 "]])", {{L"p", 8}}},
        {R"([["n","s","p","t","4294967295"]])", {{L"p", -1}}},  // stored unsigned
        {R"([["n","s","a","t",""],["n","s","b","t","2"]])", {{L"a", 0}, {L"b", 2}}},
        {R"([["n","s","a","t","x1"],["n","s","b","t","3"]])", {{L"a", 0}, {L"b", 3}}},
        {R"([["n","s","a","t","4294967296"],["n","s","b","t","1"]])", {{L"a", 0}, {L"b", 1}}},
        {R"([["n","s","a","t","-1"]])", {{L"a", 0}}},
        {R"(["just a string", ["n","s","b"]])", {{L"b", 0}}},  // fewer values: defaults
        {R"([["n","s","a","t","1","extra",["x"]]])", {{L"a", 1}}},
        {R"([["n","s","gone","t","1"],["n","s","b","t","1"]])", {{L"b", 1}}},
        {R"([["n","s","p","t","1"],["m","s","p","u","2"]])", {{L"p", 1}, {L"p", 2}}},
        {R"({"one": ["n","s","a","t","5"]})", {{L"a", 5}}},  // named members
        {R"("")", {}},
    };
    for (const auto& row : rows) {
        wptree tree;
        ASSERT_TRUE(parse_json_text(std::string("{\"list\": ") + row.list + "}", tree)) << row.list;
        tolvanir_list index;
        load_index_tree(tree, index, exists);
        std::vector<std::pair<std::wstring, std::int32_t>> got;
        for (const program_item& item : items_of(index))
            got.emplace_back(item.path, item.use_count);
        EXPECT_EQ(got, row.expected) << row.list;
    }
}

// Checked a directory at a time where one holds several stored items, one by
// one where it holds few: the same answers either way.
TEST(IndexFile, OnlyItemsWhoseFilesStillExistAreLoaded) {
    temp_dir dir(L"\u5E94\u7528");  // 应用
    boost::filesystem::create_directory(dir / L"apps");
    tolvanir_list index;
    std::vector<std::wstring> present, linked;
    for (const boost::filesystem::path& folder : {dir.path(), dir / L"apps"}) {
        const std::wstring file = (folder / L"\u8BB0\u4E8B\u672C.lnk").wstring();
        write_bytes(file, "lnk");
        present.push_back(file);
        boost::filesystem::create_directory(folder / L"folder.exe");
        std::vector<std::pair<std::wstring, std::wstring>> stored = {
            {L"Present", file},
            {L"Missing", (folder / L"missing.lnk").wstring()},
            {L"Folder", (folder / L"folder.exe").wstring()},
            {L"Missing too", (folder / L"gone.exe").wstring()}};
        // A listing does not say where a link leads: those are asked for.
        boost::system::error_code no_links;  // creating links may take a right the user lacks
        boost::filesystem::create_symlink(file, folder / L"link.lnk", no_links);
        boost::filesystem::create_symlink(folder / L"gone.exe", folder / L"dangling.lnk", no_links);
        // Wine reports success without making the link.
        if (!no_links && boost::filesystem::is_symlink(folder / L"link.lnk")) {
            linked.push_back((folder / L"link.lnk").wstring());
            stored.emplace_back(L"Link", linked.back());
            stored.emplace_back(L"Dangling", (folder / L"dangling.lnk").wstring());
        }
        for (const auto& [name, path] : stored)
            index.insert_item(make_item(name, L"", path, path, 1));
    }
    present.insert(present.begin(), linked.begin(), linked.end());  // "Link" sorts first
    index.insert_item(make_item(L"Few", L"", (dir / L"x" / L"..").wstring(), L"", 1));
    ASSERT_TRUE(save_index(index, dir / L"Index.json"));

    tolvanir_list loaded;
    load_index(loaded, dir / L"Index.json");
    std::vector<std::wstring> paths;
    for (const program_item& item : items_of(loaded)) paths.push_back(item.path);
    EXPECT_EQ(paths, present);
}

TEST(IndexFile, CharactersBeyondTheBasicPlaneRoundTrip) {
    temp_dir dir;
    tolvanir_list index;
    index.insert_item(make_item(L"Emoji \U0001F600 \U00020000", L"x", L"p", L"", 1));
    ASSERT_TRUE(save_index(index, dir / L"Index.json"));
    EXPECT_NE(read_bytes(dir / L"Index.json").find("\\uD83D\\uDE00 \\uD840\\uDC00"),
              std::string::npos);

    wptree tree;
    ASSERT_TRUE(read_json_file(tree, dir / L"Index.json"));
    tolvanir_list loaded;
    load_index_tree(tree, loaded, [](const std::wstring&) { return true; });
    ASSERT_EQ(items_of(loaded).size(), 1u);
    EXPECT_EQ(items_of(loaded)[0].display_name, L"Emoji \U0001F600 \U00020000");
}

TEST(IndexFile, BrokenFileLoadsNothingAndIsKeptAside) {
    temp_dir dir;
    write_bytes(dir / L"Index.json", "{\"list\": [[\"n\", \"s\", \"p\"");
    tolvanir_list index;
    load_index(index, dir / L"Index.json");
    EXPECT_TRUE(items_of(index).empty());
    EXPECT_TRUE(boost::filesystem::exists(dir / L"Index.json.bad"));
}

// A large file cut short (a write that never finished): the paths of its
// last batches are still being grouped by directory when the text stops
// parsing, and must stay readable until that is done.
TEST(IndexFile, LargeFileCutShortLoadsNothingAndReadsNoFreedText) {
    temp_dir dir;
    std::string text = "{\"list\": [";
    // Ten whole batches: the last is handed over just before the text ends.
    for (int n = 0; n < 40960; ++n) {
        text += "[\"n\", \"s\", \"" + (dir / (L"d" + std::to_wstring(n % 5000))).generic_string() +
                "/p" + std::to_string(n) + ".lnk\", \"\", \"0\"],";
    }
    text += "[\"n\", \"s\", \"p";  // ends inside a string
    for (int round = 0; round < 5; ++round) {
        std::istringstream in(text);
        tolvanir_list index;
        EXPECT_FALSE(load_index_stream(in, index));
        EXPECT_TRUE(items_of(index).empty());
    }
}

// Another program holds the file open at start: it is waited for briefly,
// and if it stays unreadable, what it holds is kept under a name of its own,
// not overwritten.
TEST(IndexFile, AFileHeldAtStartIsWaitedForThenKept) {
    temp_dir dir;
    const auto file = dir / L"Index.json";
    tolvanir_list stored;
    stored.insert_item(make_item(L"Kept", L"k", (dir / L"kept.lnk").wstring(), L"", 7));
    write_bytes(dir / L"kept.lnk", "x");
    ASSERT_TRUE(save_index(stored, file));
    const std::string old_bytes = read_bytes(file);

    auto held = testing::hold_unreadable(file.wstring());
    if (!held) GTEST_SKIP() << "no way here to hold a file unreadable";
    std::thread release([&held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        held.reset();
    });
    tolvanir_list waited;
    EXPECT_EQ(load_index(waited, file), file_read::read);
    release.join();
    EXPECT_EQ(items_of(waited).size(), 1u);

    held = testing::hold_unreadable(file.wstring());
    tolvanir_list index;
    const file_read found = load_index(index, file);
    EXPECT_EQ(found, file_read::unreadable);
    EXPECT_TRUE(items_of(index).empty());
    held.reset();
    index.insert_item(cafe);
    ASSERT_TRUE(save_index(index, file, found));
    EXPECT_EQ(read_bytes(kept_file_name(file, 1)), old_bytes);
    EXPECT_NE(read_bytes(file), old_bytes);
}

TEST(IndexFile, FailedSaveIsQuietAndKeepsTheIndex) {
    temp_dir dir;
    tolvanir_list index;
    index.insert_item(cafe);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(save_index(index, dir / L"missing dir" / L"Index.json"));
    (void)::testing::internal::GetCapturedStderr();
    EXPECT_EQ(items_of(index).size(), 1u);
}

}  // namespace
}  // namespace tolvanir

namespace tolvanir {
namespace {

std::vector<std::tuple<std::wstring, std::wstring, std::wstring, std::wstring, std::int32_t>>
fields_of(const tolvanir_list& index) {
    std::vector<std::tuple<std::wstring, std::wstring, std::wstring, std::wstring, std::int32_t>>
        out;
    for (const program_item& item : items_of(index)) {
        out.emplace_back(item.display_name, item.search_text, item.path, item.target,
                         item.use_count);
    }
    return out;
}

// The loader that reads events must take exactly what the tree lookup takes.
TEST(IndexFile, EventLoaderAgreesWithTheTreeLoader) {
    const auto exists = [](const std::wstring& path) { return path != L"gone"; };
    const char* texts[] = {
        R"({"list": [["n","s","p","t","1"], ["m", ["nested"], "q", {"o": 1}, 2]]})",
        R"({"other": [["n","s","x","t","1"]], "list": [["n","s","p","t","1"]], "list": [["z","s","y","t","1"]]})",
        R"({"list": {"a": ["n","s","p","t","1"], "b": "leaf", "c": {"k1": "n", "k2": "s", "k3": "r"}}})",
        R"({"list": [[null, true, "p", false, 12], [1.5e3, "s", "gone", "t", "1"]]})",
        R"({"list": [["a\"b\\c\/d\u00e9\u8BB0\uD83D\uDE00", "s", "p\np", "", " 7 "]]})",
        R"({"deep": {"list": [["n","s","p","t","1"]]}, "list": "no"})",
        R"([{"list": [["n","s","p","t","1"]]}])",
        R"("list")",
        R"({"list": [[], [[]], [{}], ["", "", "", "", ""]]})",
        R"({"list": [["n","s","p","t","1","6",[["7"]],"8"], ["n2","s2","p2"]]})",
        // What a comment holds is not read, UTF-8 or not.
        "// \xD9\xD9 hand-edited\n{\"list\": [[\"n\",\"s\",\"p\",\"t\",\"1\"]] /* \xC0) */}",
        // Halves of pairs written by older builds cost nothing but themselves.
        R"({"list": [["a\ud800", "\uDC00s", "p", "t\udbff", "4"], ["b", "s", "q", "", "5"]]})",
    };
    for (const char* text : texts) {
        wptree tree;
        ASSERT_TRUE(parse_json_text(text, tree)) << text;
        tolvanir_list from_tree, from_events;
        load_index_tree(tree, from_tree, exists);
        ASSERT_TRUE(load_index_text(text, from_events, exists)) << text;
        EXPECT_EQ(fields_of(from_events), fields_of(from_tree)) << text;
    }
    tolvanir_list untouched;
    EXPECT_FALSE(load_index_text(R"({"list": [["n","s","p","t","1"]] )", untouched, exists));
    EXPECT_TRUE(items_of(untouched).empty()) << "nothing from a file that does not parse";
}

// The direct writer must produce the bytes the tree writer produces.
TEST(IndexFile, DirectWriterAgreesWithTheTreeWriter) {
    std::wstring every_unit;
    for (wchar_t c = 1; c < 0x180; ++c) every_unit.push_back(c);
    every_unit += L"\u8BB0\uFFFF\U0001F600\U0010FFFF";
    tolvanir_list index;
    index.insert_item(make_item(every_unit, L"/\\\"\b\f\n\r\t", L"C:\\a b\\c.lnk", L"", 0));
    index.insert_item(make_item(L"App 10", L"x", L"p10", L"t", 10));
    index.insert_item(make_item(L"app 2", L"x", L"p2", L"t", 2));
    index.insert_item(make_item(L"", L"", L"", L"", 0xFFFFFFFFu));
    const std::wstring half(1, wchar_t(0xD83D));
    index.insert_item(make_item(L"half" + half, half + L"x", L"ph", L"t" + half + L"t", 1));
    EXPECT_EQ(index_text(index), format_json_text(index_tree(index)));
    tolvanir_list empty;
    EXPECT_EQ(index_text(empty), format_json_text(index_tree(empty)));
}

}  // namespace
}  // namespace tolvanir
