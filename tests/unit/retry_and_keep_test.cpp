// Where a data file that was never read in a whole run is kept.
#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <string>
#include <vector>

#include "config/json_file.h"
#include "config/kept_file.h"
#include "platform/file_replace.h"
#include "support/file_attributes.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using testing::read_bytes;
using testing::temp_dir;
using testing::write_bytes;

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
