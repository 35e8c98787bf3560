#include "index/directory_watcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "index/path_text.h"
#include "support/file_attributes.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;
using testing::temp_dir;
using testing::write_bytes;

const wchar_t sep = static_cast<wchar_t>(fs::path::preferred_separator);

std::wstring rel(std::initializer_list<const wchar_t*> parts) {
    std::wstring out;
    for (const wchar_t* part : parts) {
        if (!out.empty()) out += sep;
        out += part;
    }
    return out;
}

std::vector<std::wstring> paths(const tolvanir_list& index) {
    std::vector<std::wstring> out;
    for (const program_item& item : index.copy_items()) out.push_back(item.path);
    std::sort(out.begin(), out.end());
    return out;
}

class ChangeApplier : public ::testing::Test {
  protected:
    void create(const std::wstring& relative) {
        const fs::path file = dir.path() / relative;
        fs::create_directories(file.parent_path());
        write_bytes(file, "x");
    }
    std::wstring full(const std::wstring& relative) {
        return join_path(dir.path().wstring(), relative);
    }

    temp_dir dir;
    tolvanir_list index;
    change_applier applier{index, dir.path().wstring(), 3};
};

TEST_F(ChangeApplier, CreatedFilesAreAddedToTheDepth) {
    const std::wstring deep = rel({L"A", L"B", L"C", L"x.lnk"});
    const std::wstring too_deep = rel({L"A", L"B", L"C", L"D", L"y.lnk"});
    create(deep);
    create(too_deep);
    create(L"notes.txt");
    fs::create_directories(dir / L"new.exe");
    for (const std::wstring& name : {deep, too_deep, std::wstring(L"notes.txt"),
                                     std::wstring(L"new.exe"), std::wstring(L"gone.lnk")}) {
        applier.apply({change_added, name});
    }
    EXPECT_EQ(paths(index), std::vector<std::wstring>{full(deep)});
}

TEST_F(ChangeApplier, DepthZeroFollowsOnlyTheDirectoryItself) {
    change_applier shallow(index, dir.path().wstring(), 0);
    create(L"top.lnk");
    create(rel({L"sub", L"low.lnk"}));
    shallow.apply({change_added, L"top.lnk"});
    shallow.apply({change_added, rel({L"sub", L"low.lnk"})});
    EXPECT_EQ(paths(index), std::vector<std::wstring>{full(L"top.lnk")});
}

TEST_F(ChangeApplier, RemovalsAndFileRenames) {
    create(L"A.lnk");
    applier.apply({change_added, L"A.lnk"});
    applier.apply({change_removed, L"never-indexed.lnk"});
    EXPECT_EQ(paths(index).size(), 1u);

    fs::rename(dir / L"A.lnk", dir / L"B.lnk");
    applier.apply({change_renamed_old_name, L"A.lnk"});
    applier.apply({change_modified, L"B.lnk"});  // ignored, between the pair
    applier.apply({change_renamed_new_name, L"B.lnk"});
    EXPECT_EQ(paths(index), std::vector<std::wstring>{full(L"B.lnk")});
    EXPECT_EQ(index.copy_items().front().display_name, L"A") << "a rename keeps the item's names";

    applier.apply({change_removed, L"B.lnk"});
    EXPECT_TRUE(paths(index).empty());
}

TEST_F(ChangeApplier, AnOldNameServesOneNewNameOnly) {
    create(L"X.lnk");
    applier.apply({change_added, L"X.lnk"});
    fs::rename(dir / L"X.lnk", dir / L"Y.lnk");
    applier.apply({change_renamed_old_name, L"X.lnk"});
    applier.apply({change_renamed_new_name, L"Y.lnk"});
    create(L"X.lnk");
    applier.apply({change_added, L"X.lnk"});
    // A file moved up from below the depth: its old name is not followed,
    // and no earlier old name may stand in for it.
    create(L"z.lnk");
    applier.apply({change_renamed_old_name, rel({L"A", L"B", L"C", L"D", L"z.lnk"})});
    applier.apply({change_renamed_new_name, L"z.lnk"});
    applier.apply({change_renamed_new_name, L"z.lnk"});
    EXPECT_EQ(paths(index), (std::vector<std::wstring>{full(L"X.lnk"), full(L"Y.lnk")}));
}

TEST_F(ChangeApplier, ARemovedDirectoryTakesItsItems) {
    for (const std::wstring& name :
         {rel({L"Games", L"chess.lnk"}), rel({L"Games", L"x", L"go.lnk"}),
          rel({L"Games2", L"pong.lnk"})}) {
        create(name);
        applier.apply({change_added, name});
    }
    applier.apply({change_removed, L"Games"});  // all Windows reports for a recycled folder
    EXPECT_EQ(paths(index), std::vector<std::wstring>{full(rel({L"Games2", L"pong.lnk"}))});
}

TEST_F(ChangeApplier, DirectoryRenamesFollowOnlyAboveTheDeepestLevel) {
    create(rel({L"Games", L"chess.lnk"}));
    create(rel({L"A", L"B", L"C", L"d.lnk"}));
    applier.apply({change_added, rel({L"Games", L"chess.lnk"})});
    applier.apply({change_added, rel({L"A", L"B", L"C", L"d.lnk"})});

    fs::rename(dir / L"Games", dir / L"Play");
    applier.apply({change_renamed_old_name, L"Games"});
    applier.apply({change_renamed_new_name, L"Play"});
    fs::rename(dir / L"A" / L"B" / L"C", dir / L"A" / L"B" / L"E");
    applier.apply({change_renamed_old_name, rel({L"A", L"B", L"C"})});
    applier.apply(
        {change_renamed_new_name, rel({L"A", L"B", L"E"})});  // 2 separators < depth 3: followed
    EXPECT_EQ(paths(index), (std::vector<std::wstring>{full(rel({L"A", L"B", L"E", L"d.lnk"})),
                                                       full(rel({L"Play", L"chess.lnk"}))}));

    change_applier shallow(index, dir.path().wstring(), 1);
    fs::rename(dir / L"Play", dir / L"Fun");
    shallow.apply({change_renamed_old_name, L"Play"});
    fs::create_directories(dir / L"Fun" / L"inner");
    shallow.apply(
        {change_renamed_new_name, rel({L"Fun", L"inner"})});  // a directory at depth 1: ignored
    EXPECT_EQ(paths(index)[1], full(rel({L"Play", L"chess.lnk"})));
}

TEST(WatchDirectory, FollowsChangesUntilStopped) {
    temp_dir dir;
    tolvanir_list index;
    stop_event stop;
    ready_signal ready;
    bool result = false;
    boost::thread watcher(
        [&] { result = watch_directory(index, dir.path().wstring(), 3, stop, ready); });
    ready.wait();

    const auto eventually = [&](const std::vector<std::wstring>& expected) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (paths(index) != expected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return paths(index);
    };
    const std::wstring app = join_path(dir.path().wstring(), L"app.lnk");
    write_bytes(app, "x");
    EXPECT_EQ(eventually({app}), std::vector<std::wstring>{app});

    fs::create_directories(dir / L"new");
    const std::wstring inner = join_path(join_path(dir.path().wstring(), L"new"), L"inner.exe");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    write_bytes(inner, "x");
    std::vector<std::wstring> both{app, inner};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(eventually(both), both) << "a file created inside a new directory";

    const std::wstring renamed = join_path(dir.path().wstring(), L"renamed.lnk");
    fs::rename(app, renamed);
    both = {inner, renamed};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(eventually(both), both);

    fs::remove(inner);
    EXPECT_EQ(eventually({renamed}), std::vector<std::wstring>{renamed});

    // A name that is not UTF-8 is passed over; the watch goes on.
    (void)testing::create_undecodable_file(dir.path().wstring());
    const std::wstring chinese = join_path(dir.path().wstring(), L"\u8BB0\u4E8B\u672C.lnk");
    write_bytes(chinese, "x");
    both = {chinese, renamed};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(eventually(both), both);

    stop.set();
    watcher.join();
    EXPECT_TRUE(result);
}

TEST(WatchDirectory, AMissingDirectoryReleasesTheScannerAtOnce) {
    temp_dir dir;
    tolvanir_list index;
    stop_event stop;
    ready_signal ready;
    EXPECT_FALSE(watch_directory(index, (dir / L"missing").wstring(), 3, stop, ready));
    ready.wait();  // already set: returns at once
}

}  // namespace
}  // namespace tolvanir
