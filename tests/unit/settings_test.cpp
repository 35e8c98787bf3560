#include "config/settings.h"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <string>
#include <vector>

#include "config/program_files.h"
#include "config/settings_merge.h"
#include "support/parsed_json.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using testing::read_bytes;
using testing::temp_dir;
using testing::test_data;
using testing::write_bytes;

using testing::parsed;

TEST(Settings, ScanDirectoriesAreReadByPosition) {
    const struct {
        const char* json;
        std::vector<std::pair<std::wstring, int>> expected;
    } rows[] = {
        {R"({"scan_directory": [["D:\\Tools", "3"], ["%USERPROFILE%\\Apps", 1]]})",
         {{L"D:\\Tools", 3}, {L"%USERPROFILE%\\Apps", 1}}},
        {R"({"scan_directory": {"first": ["a", "2"], "second": ["b", "5", "ignored"]}})",
         {{L"a", 2}, {L"b", 5}}},
        {R"({"scan_directory": [["only a path"], []]})", {{L"only a path", 0}, {L"", 0}}},
        {R"({"scan_directory": [["x", "deep"], ["y", " 4 "], ["z", "-1"]]})",
         {{L"x", 3}, {L"y", 4}, {L"z", 3}}},  // an unreadable depth keeps the entry
        {R"({"scan_directory": "D:\\Tools"})", {}},
        {R"({"scan_directory": ""})", {}},
    };
    for (const auto& row : rows) {
        wptree tree = parsed(row.json);
        std::vector<std::pair<std::wstring, int>> got;
        for (const scanner_directory& d : read_scan_directories(tree))
            got.emplace_back(d.directory, d.depth);
        EXPECT_EQ(got, row.expected) << row.json;
    }
}

TEST(Settings, MissingScanDirectoryIsCreatedEmpty) {
    wptree tree;
    EXPECT_TRUE(read_scan_directories(tree).empty());
    ASSERT_TRUE(tree.get_child_optional(L"scan_directory"));
    EXPECT_TRUE(tree.get_child(L"scan_directory").empty());
}

TEST(Settings, FirstRunFlag) {
    const struct {
        const char* json;
        bool first;
    } rows[] = {
        {"{}", true},
        {R"({"first_run": "true"})", true},
        {R"({"first_run": "1"})", true},
        {R"({"first_run": "yes"})", true},
        {R"({"first_run": true})", true},
        {R"({"first_run": "false"})", false},
        {R"({"first_run": false})", false},
        {R"({"first_run": "0"})", false},
    };
    for (const auto& row : rows) {
        wptree tree = parsed(row.json);
        const std::wstring before = tree.get<std::wstring>(L"first_run", L"");
        EXPECT_EQ(take_first_run(tree), row.first) << row.json;
        EXPECT_EQ(tree.get<std::wstring>(L"first_run"), row.first ? L"false" : before);
        EXPECT_FALSE(take_first_run(tree)) << "only once: " << row.json;
    }
}

TEST(Settings, FirstStartWritesDefaultsInOrder) {
    wptree tree;
    (void)read_scan_directories(tree);
    (void)take_first_run(tree);
    EXPECT_EQ(format_json_text(tree),
              "{\n    \"scan_directory\": \"\",\n    \"first_run\": \"false\"\n}\n");
}

TEST(Settings, OneAddedDirectoryHasTheExactLayout) {
    wptree tree;
    (void)read_scan_directories(tree);
    (void)take_first_run(tree);
    wptree entry;
    entry.push_back({L"", wptree(L"D:\\Tools")});
    entry.push_back({L"", wptree(L"3")});
    tree.get_child(L"scan_directory").push_back({L"", entry});
    EXPECT_EQ(format_json_text(tree), test_data("settings_one_directory.json"));
}

TEST(Settings, UnknownMembersSurviveAndLiteralsAreQuotedOnSave) {
    wptree tree = parsed(R"({"theme": {"dark": true}, "first_run": false})");
    (void)read_scan_directories(tree);
    EXPECT_FALSE(take_first_run(tree));
    EXPECT_EQ(format_json_text(tree),
              "{\n    \"theme\": {\n        \"dark\": \"true\"\n    },\n"
              "    \"first_run\": \"false\",\n    \"scan_directory\": \"\"\n}\n");
}

TEST(ProgramFiles, DataDirectoryIsMadeBesideTheProgram) {
    temp_dir program(L"\u7A0B\u5E8F");  // 程序
    const auto file = data_file_path(program.path(), L"Index.json");
    EXPECT_EQ(file, program.path() / L"Data" / L"Index.json");
    EXPECT_TRUE(boost::filesystem::is_directory(program / L"Data"));

    boost::filesystem::remove(program / L"Data");
    write_bytes(program / L"Data", "a plain file in the way");
    (void)data_file_path(program.path(), L"Settings.json");
    EXPECT_TRUE(boost::filesystem::is_directory(program / L"Data"));

    write_bytes(program / L"Data" / L"keep.json", "{}");
    (void)data_file_path(program.path(), L"Settings.json");
    EXPECT_EQ(read_bytes(program / L"Data" / L"keep.json"), "{}")
        << "an existing directory is kept";
}

TEST(ProgramFiles, ProgramDirectoryHoldsThisExecutable) {
    const boost::filesystem::path dir = program_directory();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(boost::filesystem::is_directory(dir));
    bool found = false;
    for (const auto& entry : boost::filesystem::directory_iterator(dir)) {
        found = found || entry.path().stem() == "tolvanir_tests";
    }
    EXPECT_TRUE(found);
}

TEST(ProgramFiles, DriveRootKeepsDataAtTheRoot) {
    const boost::filesystem::path exe(L"C:\\Tolvanir.exe");
    if (!exe.has_root_name()) GTEST_SKIP() << "drive letters are a Windows notion";
    const boost::filesystem::path root = exe.parent_path();
    EXPECT_EQ(root, boost::filesystem::path(L"C:\\"));
    const bool existed = boost::filesystem::exists(L"C:\\Data");
    EXPECT_EQ(data_file_path(root, L"Index.json"),
              boost::filesystem::path(L"C:\\Data\\Index.json"));
    EXPECT_TRUE(boost::filesystem::is_directory(L"C:\\Data"));
    if (!existed) boost::filesystem::remove(L"C:\\Data");
}

}  // namespace
}  // namespace tolvanir

namespace tolvanir {
namespace {

// Settings.json held at start and read later: the file is the base, the run
// adds what it added, and the file's directories not scanned yet are given.
TEST(Settings, AFileReadLateIsTheBaseOfWhatTheRunAdded) {
    const struct {
        const char* file;
        const char* run;
        const char* merged;
        std::vector<std::wstring> to_scan;
    } rows[] = {
        {R"({"theme": "dark", "scan_directory": [["D:\\A", "3"]], "first_run": "false"})",
         R"({"scan_directory": [["E:\\B", "3"]], "first_run": "false"})",
         R"({"theme": "dark", "scan_directory": [["D:\\A", "3"], ["E:\\B", "3"]],
             "first_run": "false"})",
         {L"D:\\A"}},
        // A directory both list is listed once and scanned once.
        {R"({"scan_directory": [["D:\\A", "3"], ["E:\\B", "1"]]})",
         R"({"scan_directory": [["E:\\B", "3"]], "first_run": "false"})",
         R"({"scan_directory": [["D:\\A", "3"], ["E:\\B", "1"]]})",
         {L"D:\\A"}},
        // The file's flag holds, a welcome it owes included.
        {R"({"scan_directory": ""})",
         R"({"scan_directory": "", "first_run": "false"})",
         R"({"scan_directory": ""})",
         {}},
        {R"({"first_run": "true"})",
         R"({"scan_directory": [["E:\\B", "3"]]})",
         R"({"first_run": "true", "scan_directory": [["E:\\B", "3"]]})",
         {}},
        // Text written there by hand lists nothing and makes way.
        {R"({"scan_directory": "D:\\Tools"})",
         R"({"scan_directory": [["E:\\B", "3"]]})",
         R"({"scan_directory": [["E:\\B", "3"]]})",
         {}},
        {R"("a bare value")",
         R"({"scan_directory": [["E:\\B", "3"]], "first_run": "false"})",
         R"({"scan_directory": [["E:\\B", "3"]]})",
         {}},
    };
    for (const auto& row : rows) {
        const merged_settings merged = merge_settings(parsed(row.file), parsed(row.run));
        EXPECT_EQ(format_json_text(merged.tree), format_json_text(parsed(row.merged))) << row.file;
        std::vector<std::wstring> to_scan;
        for (const scanner_directory& d : merged.to_scan) to_scan.push_back(d.directory);
        EXPECT_EQ(to_scan, row.to_scan) << row.file;
    }
}

TEST(Settings, HandEditedShapesNeverMakeTheTreeUnwritable) {
    const char* texts[] = {
        R"({"first_run": {"a": "b"}})",
        R"({"first_run": ["true"]})",
        R"({"first_run": {}, "scan_directory": [["D:\\x", "3"]]})",
    };
    for (const char* text : texts) {
        wptree tree = parsed(text);
        (void)read_scan_directories(tree);
        EXPECT_TRUE(take_first_run(tree)) << text;
        EXPECT_NO_THROW((void)format_json_text(tree)) << text;
        EXPECT_EQ(tree.get<std::wstring>(L"first_run"), L"false");
    }
}

}  // namespace
}  // namespace tolvanir
