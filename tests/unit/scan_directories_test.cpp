#include "config/scan_directories.h"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <string>

#include "support/temp_dir.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;
using testing::temp_dir;
using testing::write_bytes;

const std::wstring sep(1, static_cast<wchar_t>(fs::path::preferred_separator));

std::vector<std::pair<std::wstring, std::wstring>> entries(const wptree& settings) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    for (const auto& entry : settings.get_child(L"scan_directory")) {
        auto it = entry.second.begin();
        const std::wstring path = it->second.data();
        out.emplace_back(path, (++it)->second.data());
    }
    return out;
}

class AddScanDirectory : public ::testing::Test {
  protected:
    AddScanDirectory() {
        fs::create_directories(program.path() / L"Tools");
        fs::create_directories(other.path() / L"Apps");
        write_bytes(other.path() / L"file.txt", "x");
        settings.put_child(L"scan_directory", wptree());
    }

    temp_dir program, other;
    wptree settings;
};

TEST_F(AddScanDirectory, StoresAbsoluteOrRelativeFormsOnceWithDepthThree) {
    const std::wstring apps = (other.path() / L"Apps").wstring();
    const std::wstring tools = (program.path() / L"Tools").wstring();
    const auto first = add_scan_directory(settings, apps, program.path().wstring());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->directory, apps);
    EXPECT_EQ(first->depth, 3);
    const auto second = add_scan_directory(settings, tools, program.path().wstring());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->directory, L"." + sep + L"Tools") << "below the program: relative";

    EXPECT_FALSE(add_scan_directory(settings, apps, program.path().wstring())) << "already listed";
    EXPECT_FALSE(add_scan_directory(settings, tools, program.path().wstring()))
        << "same stored form";
    EXPECT_EQ(entries(settings), (std::vector<std::pair<std::wstring, std::wstring>>{
                                     {apps, L"3"}, {L"." + sep + L"Tools", L"3"}}));
}

TEST_F(AddScanDirectory, RefusesWhatIsNoDirectory) {
    const std::wstring refused[] = {
        (other.path() / L"file.txt").wstring(),
        (other.path() / L"missing").wstring(),
        L"",
        (other.path() / std::wstring(300, L'x')).wstring(),
    };
    for (const std::wstring& path : refused) {
        EXPECT_FALSE(add_scan_directory(settings, path, program.path().wstring()));
    }
    EXPECT_TRUE(settings.get_child(L"scan_directory").empty());
}

TEST_F(AddScanDirectory, LetterCaseMakesADifferentEntry) {
    fs::create_directories(other.path() / L"apps2");
    const std::wstring lower = (other.path() / L"apps2").wstring();
    ASSERT_TRUE(add_scan_directory(settings, lower, L""));
    // The same directory named with other letters where the file system
    // ignores case; where it does not, simply another directory.
    fs::create_directories(other.path() / L"APPS2");
    EXPECT_TRUE(add_scan_directory(settings, (other.path() / L"APPS2").wstring(), L""));
    EXPECT_EQ(entries(settings).size(), 2u);
}

TEST_F(AddScanDirectory, AHandWrittenPlainTextNeverMakesTheSettingsUnwritable) {
    settings.put(L"scan_directory", L"D:\\Tools");
    ASSERT_TRUE(add_scan_directory(settings, (other.path() / L"Apps").wstring(), L""));
    EXPECT_NO_THROW((void)format_json_text(settings));
    EXPECT_EQ(entries(settings).size(), 1u);
}

TEST_F(AddScanDirectory, AMissingListCountsAsEmpty) {
    wptree empty;
    ASSERT_TRUE(add_scan_directory(empty, (other.path() / L"Apps").wstring(), L""));
    EXPECT_EQ(entries(empty).size(), 1u);
}

}  // namespace
}  // namespace tolvanir
