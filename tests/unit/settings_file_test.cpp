// Settings.json held by another program at start (a backup, a virus scan, a
// sync at logon): read later from the window's timer and merged, or kept
// under a name of its own when it never could be read.
#include "config/settings_file.h"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <chrono>
#include <string>
#include <vector>

#include "config/kept_file.h"
#include "config/scan_directories.h"
#include "config/settings.h"
#include "support/held_file.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using namespace std::chrono_literals;
using testing::expect_kept_over_two_runs;
using testing::make_unreadable;
using testing::read_bytes;
using testing::temp_dir;
using testing::write_bytes;

class SettingsFile : public ::testing::Test {
  protected:
    temp_dir dir;
    const boost::filesystem::path file = dir / L"Settings.json";
    const retry_timer::clock::time_point start{};
};

TEST_F(SettingsFile, HeldAtStartIsMergedWhenItCanBeRead) {
    const struct {
        const char* first_run;  // as the file has it; null for none
        bool welcome;
    } rows[] = {{"\"false\"", false}, {nullptr, true}, {"\"true\"", true}};
    for (const auto& row : rows) {
        write_bytes(file, std::string(R"({"theme": "dark", "scan_directory": [["D:\\A", "3"]])") +
                              (row.first_run ? std::string(", \"first_run\": ") + row.first_run
                                             : std::string()) +
                              "}");
        settings_file stored([this] { return file; });
        wptree tree;
        auto held = make_unreadable(file);
        ASSERT_EQ(stored.load(tree, start), file_read::unreadable);
        EXPECT_FALSE(take_first_run(tree)) << "a file that is there: no first run";
        EXPECT_TRUE(read_scan_directories(tree).empty());
        ASSERT_TRUE(add_scan_directory(tree, dir.path().wstring(), L""));

        EXPECT_FALSE(stored.retry(tree, start + 100ms)) << "not due yet";
        EXPECT_FALSE(stored.retry(tree, start + 300ms)) << "due, and still held";
        held.reset();
        EXPECT_FALSE(stored.retry(tree, start + 700ms)) << "the next try is due at 800 ms";
        const auto late = stored.retry(tree, start + 800ms);
        ASSERT_TRUE(late);
        ASSERT_EQ(late->to_scan.size(), 1u);
        EXPECT_EQ(late->to_scan[0].directory, L"D:\\A");
        EXPECT_EQ(late->welcome, row.welcome);
        EXPECT_FALSE(stored.unread());
        EXPECT_FALSE(stored.retry(tree, start + 60s));

        EXPECT_EQ(tree.get<std::wstring>(L"theme"), L"dark");
        EXPECT_EQ(tree.get<std::wstring>(L"first_run"), L"false");
        std::vector<std::wstring> listed;
        for (const scanner_directory& d : read_scan_directories(tree))
            listed.push_back(d.directory);
        EXPECT_EQ(listed, (std::vector<std::wstring>{L"D:\\A", dir.path().wstring()}));
        ASSERT_TRUE(stored.save(tree));
        EXPECT_FALSE(boost::filesystem::exists(kept_file_name(file, 1)));
    }
}

TEST_F(SettingsFile, ReadAtExitIsMergedBeforeItIsWritten) {
    write_bytes(file, R"({"theme": "dark", "first_run": "false"})");
    settings_file stored([this] { return file; });
    wptree tree;
    auto held = make_unreadable(file);
    ASSERT_EQ(stored.load(tree, start), file_read::unreadable);
    (void)read_scan_directories(tree);
    held.reset();
    ASSERT_TRUE(stored.save(tree));
    EXPECT_EQ(read_bytes(file),
              "{\n    \"theme\": \"dark\",\n    \"first_run\": \"false\",\n"
              "    \"scan_directory\": \"\"\n}\n");
    EXPECT_FALSE(boost::filesystem::exists(kept_file_name(file, 1)));
}

TEST_F(SettingsFile, NeverReadIsKeptUnderANameNoLaterRunTakes) {
    write_bytes(file, R"({"scan_directory": [["D:\\A", "3"]], "first_run": "false"})");
    expect_kept_over_two_runs(file, [this] {
        settings_file stored([this] { return file; });
        wptree tree;
        EXPECT_EQ(stored.load(tree, start), file_read::unreadable);
        (void)read_scan_directories(tree);
        return stored.save(tree);
    });
}

}  // namespace
}  // namespace tolvanir
