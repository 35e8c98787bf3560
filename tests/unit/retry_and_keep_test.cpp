// When a data file another program held is tried again, and where one that
// was never read is kept.
#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <string>
#include <vector>

#include "config/json_file.h"
#include "config/kept_file.h"
#include "config/retry_schedule.h"
#include "platform/file_replace.h"
#include "support/file_attributes.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using testing::read_bytes;
using testing::temp_dir;
using testing::write_bytes;

TEST(RetrySchedule, WaitsDoubleUpToTheLongest) {
    const struct {
        int first, longest;
        std::vector<int> waits;
    } rows[] = {
        {250, 8000, {250, 500, 1000, 2000, 4000, 8000, 8000}},
        {300, 1000, {300, 600, 1000, 1000}},
        {900, 500, {500, 500}},
    };
    for (const auto& row : rows) {
        retry_schedule schedule{std::chrono::milliseconds(row.first),
                                std::chrono::milliseconds(row.longest)};
        std::vector<int> waits;
        for (std::size_t k = 0; k < row.waits.size(); ++k)
            waits.push_back(static_cast<int>(schedule.next().count()));
        EXPECT_EQ(waits, row.waits) << row.first;
    }
}

TEST(RetrySchedule, ATimerTakesItsTriesOnTheFirstTickDue) {
    const retry_timer::clock::time_point start{};
    retry_timer timer(start);
    std::vector<int> tries;
    for (int ms = 0; ms <= 6000; ms += 200) {
        if (timer.due(start + std::chrono::milliseconds(ms))) tries.push_back(ms);
    }
    // Due at 250, then 500, 1000, 2000 after each try.
    EXPECT_EQ(tries, (std::vector<int>{400, 1000, 2000, 4000}));
}

TEST(KeptFile, TakesTheFirstFreeNameAndNeverReplacesOne) {
    temp_dir dir;
    const auto file = dir / L"Index.json";
    write_bytes(kept_file_name(file, 1), "kept before");
    for (const char* bytes : {"first", "second"}) {
        boost::filesystem::remove(file);  // a new file, as every save makes one
        write_bytes(file, bytes);
        // Held open by another program where that can be done: kept all the same.
        auto held = testing::hold_unreadable(file.wstring());
        const auto kept = keep_under_free_name(file);
        held.reset();
        ASSERT_TRUE(kept);
        EXPECT_EQ(read_bytes(kept->name), bytes);
    }
    EXPECT_EQ(read_bytes(kept_file_name(file, 1)), "kept before");
    EXPECT_EQ(read_bytes(kept_file_name(file, 2)), "first");
    EXPECT_EQ(read_bytes(kept_file_name(file, 3)), "second");
    EXPECT_FALSE(keep_under_free_name(dir / L"missing.json"));
}

TEST(KeptFile, AnUnreadFileIsKeptOnlyWhenANewOneTookItsName) {
    const struct {
        file_read found;
        const char* user;  // null: the file is gone by now
        bool written;
        const char* bytes;  // of the file afterwards
        bool kept;
    } rows[] = {
        {file_read::unreadable, "user", true, "new", true},
        {file_read::unreadable, "user", false, "user", false},
        {file_read::unreadable, nullptr, true, "new", false},
        {file_read::read, "user", true, "new", false},
        {file_read::broken, "user", false, "user", false},
    };
    for (const auto& row : rows) {
        temp_dir dir;
        const auto file = dir / L"Index.json";
        if (row.user) write_bytes(file, row.user);
        EXPECT_EQ(
            replace_data_file(
                file, row.found,
                [&] { return row.written && replace_file_contents(file, std::string("new")); }),
            row.written);
        EXPECT_EQ(read_bytes(file), row.bytes);
        EXPECT_EQ(boost::filesystem::exists(kept_file_name(file, 1)), row.kept);
        if (row.kept) {
            EXPECT_EQ(read_bytes(kept_file_name(file, 1)), "user");
        }
    }
}

}  // namespace
}  // namespace tolvanir
