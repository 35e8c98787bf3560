#include "index/directory_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "index/path_text.h"
#include "platform/environment.h"
#include "support/file_attributes.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;
using testing::fixture;
using testing::temp_dir;
using testing::write_bytes;

std::map<std::wstring, program_item> items_by_name(const tolvanir_list& index,
                                                   const std::wstring& root) {
    std::map<std::wstring, program_item> out;
    for (const program_item& item : index.copy_items())
        out[item.path.substr(root.size() + 1)] = item;
    return out;
}

std::wstring native(const std::wstring& relative) {
    std::wstring out = relative;
    for (wchar_t& c : out) {
        if (c == L'/') c = static_cast<wchar_t>(fs::path::preferred_separator);
    }
    return out;
}

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    write_bytes(file, "not a real program");
}

TEST(DirectoryScan, TakesShortcutsAndExecutablesToTheDepth) {
    temp_dir dir;
    for (const char* name : {"Setup.EXE", "Word.LNK", "readme.txt", "a.lnk.bak", "top.lnk",
                             "one/a.lnk", "one/two/b.exe", "one/two/three/c.lnk"}) {
        touch(dir.path() / name);
    }
    fs::create_directories(dir / L"tools.exe");
    // Whatever the locale: a Chinese name is taken, one that is not UTF-8 skipped.
    touch(dir / L"\u8BB0\u4E8B\u672C.lnk");
    (void)testing::create_undecodable_file(dir.path().wstring());
    const struct {
        int depth;
        std::vector<std::wstring> expected;
    } rows[] = {
        {-1, {}},
        {0, {}},
        {1, {L"Setup.EXE", L"Word.LNK", L"top.lnk", L"\u8BB0\u4E8B\u672C.lnk"}},
        {3,
         {L"Setup.EXE", L"Word.LNK", native(L"one/a.lnk"), native(L"one/two/b.exe"), L"top.lnk",
          L"\u8BB0\u4E8B\u672C.lnk"}},
    };
    for (const auto& row : rows) {
        tolvanir_list index;
        stop_event stop;
        EXPECT_TRUE(scan_tree(index, dir.path().wstring(), row.depth, stop));
        std::vector<std::wstring> names;
        for (const auto& entry : items_by_name(index, dir.path().wstring()))
            names.push_back(entry.first);
        std::sort(names.begin(), names.end());
        std::vector<std::wstring> expected = row.expected;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected) << "depth " << row.depth;
    }
}

TEST(DirectoryScan, ItemsAreNamedFromTheFile) {
    temp_dir dir;
    touch(dir / L"Word.lnk");  // unreadable as a link: no target
    tolvanir_list index;
    stop_event stop;
    ASSERT_TRUE(scan_tree(index, dir.path().wstring(), 1, stop));
    const auto items = items_by_name(index, dir.path().wstring());
    const program_item& word = items.at(L"Word.lnk");
    EXPECT_EQ(word.display_name, L"Word");
    EXPECT_EQ(word.search_text, L"Word");
    EXPECT_EQ(word.target, L"");
    EXPECT_EQ(word.use_count, 0);
}

TEST(DirectoryScan, NotADirectoryIsNotScanned) {
    temp_dir dir;
    touch(dir / L"file.lnk");
    tolvanir_list index;
    stop_event stop;
    EXPECT_FALSE(scan_tree(index, (dir / L"missing").wstring(), 3, stop));
    EXPECT_FALSE(scan_tree(index, (dir / L"file.lnk").wstring(), 3, stop));
    EXPECT_FALSE(scan_tree(index, L"ab", 3, stop));
    EXPECT_TRUE(items_by_name(index, L"").empty());
}

TEST(DirectoryScan, StoredItemsAreKeptUnchanged) {
    temp_dir dir;
    touch(dir / L"Editor.lnk");
    tolvanir_list index;
    const std::wstring path = (dir / L"Editor.lnk").wstring();
    index.insert_item(program_item{L"Stale Name", L"stale", path, L"C:\\old.exe", 7});
    stop_event stop;
    scan_tree(index, dir.path().wstring(), 1, stop);
    const auto items = items_by_name(index, dir.path().wstring());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items.at(L"Editor.lnk").display_name, L"Stale Name");
    EXPECT_EQ(items.at(L"Editor.lnk").use_count, 7);
}

TEST(DirectoryScan, TheStopEventEndsTheScan) {
    temp_dir dir;
    for (int i = 0; i < 20; ++i) touch(dir / (L"p" + std::to_wstring(i) + L".lnk"));
    tolvanir_list index;
    stop_event stop;
    stop.set();
    EXPECT_TRUE(scan_tree(index, dir.path().wstring(), 3, stop));
    EXPECT_TRUE(items_by_name(index, L"").empty()) << "polled before the first entry";
}

TEST(DirectoryScan, DescriptionsNameExecutables) {
    temp_dir dir;
    const struct {
        const char* fixture_name;
        const wchar_t* display;
    } rows[] = {
        {"described.exe", L"\u8BB0\u4E8B\u672C"},
        {"spaced.exe", L"  Spaced Tool  "},
        {"blank.exe", L"blank"},
        {"no_version.exe", L"no_version"},
    };
    for (const auto& row : rows)
        fs::copy_file(fixture("pe", row.fixture_name), dir.path() / row.fixture_name);
    tolvanir_list index;
    stop_event stop;
    scan_tree(index, dir.path().wstring(), 1, stop);
    const auto items = items_by_name(index, dir.path().wstring());
    for (const auto& row : rows) {
        const std::wstring file =
            std::wstring(row.fixture_name, row.fixture_name + std::strlen(row.fixture_name));
        ASSERT_TRUE(items.count(file)) << row.fixture_name;
        EXPECT_EQ(items.at(file).display_name, row.display) << row.fixture_name;
    }
    EXPECT_EQ(items.at(L"described.exe").search_text, L"described\u8BB0\u4E8B\u672Cjishiben");
    EXPECT_EQ(items.at(L"spaced.exe").search_text, L"spaced  Spaced Tool  ");
    EXPECT_EQ(items.at(L"blank.exe").search_text, L"blank");
}

class LocalizedNames : public ::testing::Test {
  protected:
    void SetUp() override {
        strings_ = fixture("pe", "strings.dll").wstring();
        touch(dir_ / L"Notepad.lnk");
        touch(dir_ / L"Calc.lnk");
        touch(dir_ / L"Plain.lnk");
    }

    void write_ini(bool system) {
        const std::string ini = "[LocalizedFileNames]\r\nNotepad.lnk=@" + to_narrow(strings_) +
                                ",-101\r\ncalc.lnk=@" + to_narrow(strings_) +
                                ",-102\r\nPlain.lnk=Editor\r\n";
        write_bytes(dir_ / L"Desktop.ini", ini);
        if (system) {
            ASSERT_TRUE(testing::set_system_attribute((dir_ / L"Desktop.ini").wstring()));
        }
    }

    static std::string to_narrow(const std::wstring& text) {
        return std::string(text.begin(), text.end());
    }

    std::map<std::wstring, program_item> scan() {
        tolvanir_list index;
        stop_event stop;
        scan_tree(index, dir_.path().wstring(), 1, stop);
        return items_by_name(index, dir_.path().wstring());
    }

    temp_dir dir_;
    std::wstring strings_;
};

TEST_F(LocalizedNames, DesktopIniWithTheSystemAttributeNamesFiles) {
    write_ini(true);
    localized_names names;
    load_localized_names(dir_.path().wstring(), names);
    EXPECT_EQ(names.size(), 2u) << "the plain-text line is not an indirect string";
    const auto items = scan();
    EXPECT_EQ(items.at(L"Notepad.lnk").display_name, L"\u8BB0\u4E8B\u672C");
    EXPECT_EQ(items.at(L"Notepad.lnk").search_text, L"\u8BB0\u4E8B\u672CNotepadjishiben");
    EXPECT_EQ(items.at(L"Calc.lnk").display_name, L"Calc") << "keys are case-sensitive";
    EXPECT_EQ(items.at(L"Plain.lnk").display_name, L"Plain");
}

TEST_F(LocalizedNames, WithoutTheSystemAttributeTheFileIsIgnored) {
    write_ini(false);
    const auto items = scan();
    EXPECT_EQ(items.at(L"Notepad.lnk").display_name, L"Notepad");
    EXPECT_EQ(items.at(L"Notepad.lnk").search_text, L"Notepad");
}

TEST(ScanDirectory, RelativeDirectoriesLieBelowTheProgram) {
    temp_dir program;
    const std::wstring root = program.path().wstring();
    EXPECT_EQ(resolve_scan_directory(L"Tools", root), join_path(root, L"Tools"));
    EXPECT_EQ(resolve_scan_directory(native(L"Tools/../Apps"), root), join_path(root, L"Apps"));
    // No "." part: the same files must not be reached under a second name.
    EXPECT_EQ(resolve_scan_directory(L".", root), root);
    EXPECT_EQ(resolve_scan_directory(native(L"Tools/"), root), join_path(root, L"Tools"));
    EXPECT_EQ(resolve_scan_directory(native(L"./Tools/./"), root), join_path(root, L"Tools"));
    EXPECT_EQ(resolve_scan_directory(root, L"/elsewhere"), root) << "absolute stays";
    EXPECT_EQ(resolve_scan_directory(std::wstring(300, L'x'), root), L"") << "too long for a path";
    EXPECT_EQ(resolve_scan_directory(L"%TOLVANIR_NO_SUCH_VARIABLE%", root),
              join_path(root, L"%TOLVANIR_NO_SUCH_VARIABLE%"));
}

TEST(ScanDirectory, WithoutAWatcherThreadTheDirectoryIsStillScanned) {
    temp_dir dir;
    touch(dir / L"a.lnk");
    tolvanir_list index;
    stop_event stop;
    const thread_starter no_threads = [](std::function<void()>) -> boost::thread {
        throw boost::thread_resource_error();
    };
    scanner_main(index, {dir.path().wstring(), 3}, stop, dir.path().wstring(), no_threads);
    EXPECT_TRUE(index.contains_path((dir / L"a.lnk").wstring()));
}

TEST(ScanDirectory, DefaultsAreTheStartMenusTaskbarAndDesktop) {
    const auto& defaults = default_scan_directories();
    ASSERT_EQ(defaults.size(), 4u);
    EXPECT_EQ(defaults[0].directory, L"%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs");
    EXPECT_EQ(defaults[3].directory, L"%USERPROFILE%\\Desktop");
    for (const auto& d : defaults) EXPECT_EQ(d.depth, 3);
}

TEST(PathText, NamePartsAndJoining) {
    EXPECT_EQ(stem_of(L"C:\\a\\Notepad.lnk"), L"Notepad");
    EXPECT_EQ(stem_of(L"dir/archive.tar.gz"), L"archive.tar");
    EXPECT_EQ(stem_of(L"C:\\a\\README"), L"README");
    EXPECT_EQ(stem_of(L".lnk"), L"");
    EXPECT_EQ(stem_of(L".."), L"..");
    EXPECT_EQ(file_name_of(L"%windir%\\system32\\notepad.exe"), L"notepad.exe");
    EXPECT_EQ(join_path(L"C:", L"x"), L"C:x");
    EXPECT_EQ(join_path(L"C:\\", L"x"), L"C:\\x");
    // A root keeps its separator; "D:" alone is drive D's current directory.
    EXPECT_EQ(parent_of(L"D:\\x.lnk"), L"D:\\");
    EXPECT_EQ(parent_of(L"D:\\Apps\\x.lnk"), L"D:\\Apps");
    EXPECT_EQ(parent_of(L"/x.lnk"), L"/");
    EXPECT_TRUE(has_extension(L"Setup.EXE", L".exe"));
    EXPECT_FALSE(has_extension(L"a.lnk.bak", L".lnk"));
    EXPECT_FALSE(has_extension(L"lnk", L".lnk"));
}

}  // namespace
}  // namespace tolvanir
