// The listing gives each entry's type without a status query; links and
// reparse points are left for the caller to ask about.
#include "platform/directory_listing.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/file_path.h"
#include "platform/utf8.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using testing::temp_dir;

// A path as the index keeps it.
std::string packed(const boost::filesystem::path& path) {
    std::string bytes;
    append_wtf8(bytes, path.wstring());
    return bytes;
}

std::map<std::string, listed_type> listed(const std::string& directory) {
    std::vector<listed_entry> entries;
    EXPECT_TRUE(list_directory(directory, entries)) << directory;
    std::map<std::string, listed_type> types;
    for (const listed_entry& entry : entries) types[entry.name] = entry.type;
    return types;
}

TEST(DirectoryListing, TellsFilesFromDirectoriesAndLeavesLinksOut) {
    temp_dir dir;
    testing::write_bytes(dir / L"a.lnk", "x");
    testing::write_bytes(dir / L"\u8BB0\u4E8B\u672C \U0001F600.lnk", "x");
    boost::filesystem::create_directory(dir / L"tools.exe");
    boost::system::error_code no_links;  // creating links may take a right the user lacks
    boost::filesystem::create_symlink(dir / L"a.lnk", dir / L"link.lnk", no_links);

    std::map<std::string, listed_type> expected = {
        {packed_file_name(dir / L"a.lnk"), listed_type::regular_file},
        {packed_file_name(dir / L"\u8BB0\u4E8B\u672C \U0001F600.lnk"), listed_type::regular_file},
        {"tools.exe", listed_type::directory},
    };
    // Wine reports success without making the link.
    if (!no_links && boost::filesystem::is_symlink(dir / L"link.lnk")) {
        expected["link.lnk"] = listed_type::other;
    }
    EXPECT_EQ(listed(packed(dir.path())), expected);
    EXPECT_EQ(listed(packed(dir.path()) + "/"), expected);  // with its last separator
}

// One vector serves many listings: what an earlier one left is written over.
// The first directory holds more than one read of the system's listing.
TEST(DirectoryListing, AVectorOfAnEarlierListingHoldsOnlyTheNewEntries) {
    temp_dir dir;
    boost::filesystem::create_directory(dir / L"many");
    boost::filesystem::create_directory(dir / L"few");
    constexpr std::size_t many = 800;
    for (std::size_t n = 0; n < many; ++n)
        testing::write_bytes(
            dir / L"many" /
                (L"a rather long name of a program, number " + std::to_wstring(n) + L".lnk"),
            "x");
    testing::write_bytes(dir / L"few" / L"a.lnk", "x");
    std::vector<listed_entry> entries;
    ASSERT_TRUE(list_directory(packed(dir / L"many"), entries));
    EXPECT_EQ(entries.size(), many);
    ASSERT_TRUE(list_directory(packed(dir / L"few"), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "a.lnk");
    EXPECT_EQ(entries[0].type, listed_type::regular_file);
}

TEST(DirectoryListing, ADirectoryThatCannotBeListedGivesNothing) {
    temp_dir dir;
    testing::write_bytes(dir / L"file.lnk", "x");
    std::vector<listed_entry> entries = {{"stale", listed_type::other}};
    for (const boost::filesystem::path& path : {dir / L"missing", dir / L"file.lnk"}) {
        EXPECT_FALSE(list_directory(packed(path), entries)) << path;
        EXPECT_TRUE(entries.empty()) << path;
    }
}

}  // namespace
}  // namespace tolvanir
