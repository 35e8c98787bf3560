// Index.json held by another program at start: read later on a thread of
// its own and merged into the index, or kept under a name of its own when it
// never could be read.
#include "index/stored_index.h"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "config/kept_file.h"
#include "index/index_file.h"
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

// Waits, within a generous limit, for what another thread does.
template <typename Test>
bool eventually(Test test) {
    for (int k = 0; k < 1000 && !test(); ++k) std::this_thread::sleep_for(10ms);
    return test();
}

class StoredIndex : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const wchar_t* name : {L"a.lnk", L"b.lnk"}) write_bytes(dir / name, "x");
        tolvanir_list stored;
        stored.insert_item({L"Stored A", L"storeda", path(L"a.lnk"), L"C:\\a.exe", 5});
        stored.insert_item({L"Stored B", L"storedb", path(L"b.lnk"), L"", 2});
        stored.insert_item({L"Gone", L"gone", path(L"gone.lnk"), L"", 9});
        ASSERT_TRUE(save_index(stored, file));
        user = read_bytes(file);
    }
    std::wstring path(const wchar_t* name) const { return (dir / name).wstring(); }
    // What scanning found and the user launched before the file could be read.
    void run_scans_and_launches(tolvanir_list& index) const {
        index.insert_item({L"a", L"a", path(L"a.lnk"), L"C:\\a.exe", 0});
        index.count_use(path(L"a.lnk"));
    }
    std::vector<std::pair<std::wstring, std::int32_t>> counts(const tolvanir_list& index) const {
        std::vector<std::pair<std::wstring, std::int32_t>> out;
        for (const program_item& item : index.copy_items())
            out.emplace_back(item.display_name, item.use_count);
        return out;
    }

    temp_dir dir;
    const boost::filesystem::path file = dir / L"Index.json";
    stored_index stored{[this] { return file; }};
    tolvanir_list index;
    std::string user;
};

TEST_F(StoredIndex, HeldAtStartIsReadOnItsOwnThreadAndMerged) {
    auto held = make_unreadable(file);
    ASSERT_EQ(stored.load(index), file_read::unreadable);
    run_scans_and_launches(index);
    stop_event stop;
    std::thread retry([&] { stored.retry(index, stop, retry_schedule(5ms, 20ms)); });
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(stored.unread());
    held.reset();
    EXPECT_TRUE(eventually([&] { return !stored.unread(); }));
    retry.join();  // ends by itself once read
    index.sort_and_dedupe();
    using counts_t = std::vector<std::pair<std::wstring, std::int32_t>>;
    EXPECT_EQ(counts(index), (counts_t{{L"Stored A", 6}, {L"Stored B", 2}}));
    ASSERT_TRUE(stored.save(index));
    EXPECT_NE(read_bytes(file).find("\"Stored A\",\n            \"storeda\""), std::string::npos);
    EXPECT_FALSE(boost::filesystem::exists(kept_file_name(file, 1)));
}

TEST_F(StoredIndex, ARetryEndsWhenTheWindowStops) {
    auto held = make_unreadable(file);
    ASSERT_EQ(stored.load(index), file_read::unreadable);
    stop_event stop;
    std::thread retry([&] { stored.retry(index, stop); });
    stop.set();
    retry.join();
    EXPECT_TRUE(stored.unread());
}

TEST_F(StoredIndex, ReadAtExitIsMergedBeforeItIsWritten) {
    auto held = make_unreadable(file);
    ASSERT_EQ(stored.load(index), file_read::unreadable);
    run_scans_and_launches(index);
    held.reset();
    ASSERT_TRUE(stored.save(index));
    using counts_t = std::vector<std::pair<std::wstring, std::int32_t>>;
    EXPECT_EQ(counts(index), (counts_t{{L"Stored A", 6}, {L"Stored B", 2}}));
    EXPECT_FALSE(boost::filesystem::exists(kept_file_name(file, 1)));
}

TEST_F(StoredIndex, NeverReadIsKeptUnderANameNoLaterRunTakes) {
    expect_kept_over_two_runs(file, [this] {
        stored_index stored([this] { return file; });
        tolvanir_list index;
        EXPECT_EQ(stored.load(index), file_read::unreadable);
        run_scans_and_launches(index);
        return stored.save(index);
    });
}

TEST_F(StoredIndex, BrokenWhenReadLateIsMovedAsideAsAtStart) {
    write_bytes(file, "{\"list\": [[\"n\"");
    auto held = make_unreadable(file);
    ASSERT_EQ(stored.load(index), file_read::unreadable);
    held.reset();
    stop_event stop;
    stored.retry(index, stop, retry_schedule(1ms, 1ms));  // returns once read
    EXPECT_FALSE(stored.unread());
    EXPECT_EQ(read_bytes(dir / L"Index.json.bad"), "{\"list\": [[\"n\"");
    ASSERT_TRUE(stored.save(index));
    EXPECT_FALSE(boost::filesystem::exists(kept_file_name(file, 1)));
}

}  // namespace
}  // namespace tolvanir
