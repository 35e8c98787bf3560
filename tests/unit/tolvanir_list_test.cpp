#include "index/tolvanir_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "search/launcher_query.h"
#include "support/fake_result_list.h"

namespace tolvanir {
namespace {

program_item make_item(std::wstring name, std::wstring path, std::wstring target = L"",
                       std::int32_t uses = 0) {
    program_item item;
    item.display_name = std::move(name);
    item.search_text = item.display_name;
    item.path = std::move(path);
    item.target = std::move(target);
    item.use_count = uses;
    return item;
}

std::vector<program_item> snapshot(const tolvanir_list& list) { return list.copy_items(); }

std::vector<std::wstring> paths(const tolvanir_list& list) {
    std::vector<std::wstring> out;
    for (const program_item& item : snapshot(list)) out.push_back(item.path);
    return out;
}

std::vector<std::wstring> names(const tolvanir_list& list) {
    std::vector<std::wstring> out;
    for (const program_item& item : snapshot(list)) out.push_back(item.display_name);
    return out;
}

TEST(TolvanirList, StartsEmptyAndUnchanged) {
    tolvanir_list list;
    EXPECT_EQ(list.total_use_count(), 100u);
    EXPECT_FALSE(list.is_changed());
    EXPECT_FALSE(list.contains_path(L"C:\\a.lnk"));
}

TEST(TolvanirList, InsertAppendsRecordsThePathAndMarksChanged) {
    tolvanir_list list;
    list.insert_item(make_item(L"B", L"C:\\b.lnk", L"", 3));
    list.insert_item(make_item(L"A", L"C:\\a.lnk", L"", 4));
    EXPECT_TRUE(list.is_changed());
    EXPECT_TRUE(list.contains_path(L"C:\\a.lnk"));
    EXPECT_FALSE(list.contains_path(L"c:\\A.LNK"));  // identity is case-sensitive
    EXPECT_EQ(paths(list), (std::vector<std::wstring>{L"C:\\b.lnk", L"C:\\a.lnk"}));
    EXPECT_EQ(list.total_use_count(), 107u);
}

TEST(TolvanirList, TotalUseCountWrapsIn32Bits) {
    tolvanir_list list;
    list.insert_item(make_item(L"A", L"a", L"", -1));  // stored as 0xFFFFFFFF
    EXPECT_EQ(list.total_use_count(), 99u);
    EXPECT_EQ(list.usage_total(), 0x100000063u) << "what ranking divides by";
}

TEST(TolvanirList, RemovePath) {
    tolvanir_list list;
    list.insert_item(make_item(L"A", L"p"));
    list.insert_item(make_item(L"B", L"q"));
    list.insert_item(make_item(L"A2", L"p"));  // the same path twice
    list.sort_and_dedupe();

    list.remove_path(L"unknown");
    EXPECT_FALSE(list.is_changed()) << "an unknown path changes nothing";
    EXPECT_EQ(snapshot(list).size(), 3u);

    list.remove_path(L"p");
    EXPECT_TRUE(list.is_changed());
    EXPECT_EQ(paths(list), std::vector<std::wstring>{L"q"}) << "every item with the path goes";
    EXPECT_FALSE(list.contains_path(L"p"));
}

TEST(TolvanirList, SortsByNaturalOrderStably) {
    tolvanir_list list;
    list.insert_item(make_item(L"App 10", L"1"));
    list.insert_item(make_item(L"app 3", L"2"));
    list.insert_item(make_item(L"App 2", L"3", L"t1"));
    list.insert_item(make_item(L"APP 2", L"4", L"t2"));  // equal key: keeps insertion order
    list.sort_and_dedupe();
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"App 2", L"APP 2", L"app 3", L"App 10"}));
    EXPECT_FALSE(list.is_changed());
}

TEST(TolvanirList, DedupeKeepsTheFirstOfEqualNameAndTarget) {
    tolvanir_list list;
    list.insert_item(make_item(L"Word", L"C:\\user\\Word.lnk", L"C:\\Office\\word.exe", 5));
    list.insert_item(make_item(L"Excel", L"C:\\user\\Excel.lnk", L"C:\\Office\\excel.exe"));
    list.insert_item(make_item(L"Word", L"C:\\common\\Word.lnk", L"C:\\Office\\word.exe", 7));
    list.insert_item(make_item(L"Word", L"C:\\other\\Word.lnk", L"C:\\Other\\word.exe", 1));
    list.sort_and_dedupe();

    const std::vector<program_item> items = snapshot(list);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].path, L"C:\\user\\Word.lnk");
    EXPECT_EQ(items[1].use_count, 5) << "the kept item keeps its own count";
    EXPECT_EQ(items[2].path, L"C:\\other\\Word.lnk") << "another target stays";
    EXPECT_TRUE(list.contains_path(L"C:\\common\\Word.lnk")) << "a dropped path stays known";
}

TEST(TolvanirList, DedupeComparesExactly) {
    tolvanir_list list;
    list.insert_item(make_item(L"Word", L"a", L"C:\\word.exe"));
    list.insert_item(
        make_item(L"word", L"b", L"C:\\word.exe"));  // equal for sorting, not for dedupe
    list.insert_item(make_item(L"Word", L"c", L"C:\\WORD.exe"));
    list.sort_and_dedupe();
    EXPECT_EQ(snapshot(list).size(), 3u);
}

TEST(TolvanirList, RenameRewritesPathsBelowTheOldPath) {
    tolvanir_list list;
    list.insert_item(make_item(L"A", L"C:\\Games\\a.lnk", L"", 2));
    list.insert_item(make_item(L"B", L"C:\\Games\\sub\\b.lnk"));
    list.insert_item(make_item(L"C", L"C:\\Games2\\c.lnk"));
    list.insert_item(make_item(L"D", L"D:\\C:\\Games\\d.lnk"));
    list.insert_item(make_item(L"E", L"C:\\Tools\\e.lnk"));
    list.sort_and_dedupe();

    list.rename_path(L"C:\\Games", L"C:\\Play");
    EXPECT_TRUE(list.is_changed());
    EXPECT_EQ(paths(list), (std::vector<std::wstring>{L"C:\\Play\\a.lnk", L"C:\\Play\\sub\\b.lnk",
                                                      L"C:\\Games2\\c.lnk", L"D:\\C:\\Games\\d.lnk",
                                                      L"C:\\Tools\\e.lnk"}));
    EXPECT_TRUE(list.contains_path(L"C:\\Play\\sub\\b.lnk"));
    EXPECT_FALSE(list.contains_path(L"C:\\Games\\sub\\b.lnk"));
    EXPECT_TRUE(list.contains_path(L"C:\\Games2\\c.lnk"));
    const std::vector<program_item> items = snapshot(list);
    EXPECT_EQ(items[0].display_name, L"A");
    EXPECT_EQ(items[0].use_count, 2);
}

// Megabytes of texts let go make the index copy the rest into new room: rows
// found before go on showing and launching what they found, and the items
// kept read as they were, through renames that follow.
TEST(TolvanirList, TextsCopiedAfterLargeRemovalsKeepRowsAndItems) {
    const std::wstring long_name(400, L'n');
    tolvanir_list list;
    for (int n = 0; n < 3000; ++n) {
        const std::wstring dir = n % 3 == 0 ? L"C:\\Kept\\" : L"C:\\Gone\\";
        list.insert_item(make_item(L"Tool " + std::to_wstring(n) + long_name,
                                   dir + std::to_wstring(n) + long_name + L".lnk"));
    }
    launcher_query query(list);
    counting_result_list no_texts;  // rows read only after the removals
    query.run_search(L"tool", no_texts);
    const shown_results& before = query.results();
    ASSERT_EQ(before.size(), 3000u);
    list.remove_path(L"C:\\Gone");
    list.rename_path(L"C:\\Kept", L"C:\\Moved");
    std::vector<std::wstring> expected;
    for (int n = 0; n < 3000; n += 3) {
        expected.push_back(L"C:\\Moved\\" + std::to_wstring(n) + long_name + L".lnk");
    }
    std::vector<std::wstring> found = paths(list);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    for (const result_entry& row : before) {
        const std::wstring number = row.shown_text.substr(5, row.shown_text.size() - 5 - 400);
        EXPECT_EQ(row.shown_text, L"Tool " + number + long_name);
        EXPECT_EQ(row.launch_text.substr(row.launch_text.size() - 404), long_name + L".lnk");
    }
    testing::fake_result_list shown;
    query.run_search(L"tool", shown);
    EXPECT_EQ(query.results().size(), 1000u);
}

TEST(TolvanirList, RenameOfAFileAndOfNothing) {
    tolvanir_list list;
    list.insert_item(make_item(L"A", L"C:\\x\\a.lnk"));
    list.sort_and_dedupe();

    list.rename_path(L"C:\\x\\missing.lnk", L"C:\\x\\z.lnk");
    EXPECT_FALSE(list.is_changed());
    EXPECT_EQ(paths(list), std::vector<std::wstring>{L"C:\\x\\a.lnk"});

    list.rename_path(L"C:\\x\\a.lnk", L"C:\\x\\b.lnk");
    EXPECT_TRUE(list.is_changed());
    EXPECT_EQ(paths(list), std::vector<std::wstring>{L"C:\\x\\b.lnk"});
    EXPECT_FALSE(list.contains_path(L"C:\\x\\a.lnk"));
    EXPECT_TRUE(list.contains_path(L"C:\\x\\b.lnk"));
}

TEST(TolvanirList, CountUseRaisesOnlyTheFirstItemWithThePath) {
    tolvanir_list list;
    list.insert_item(make_item(L"A", L"p", L"", 1));
    list.insert_item(make_item(L"B", L"p", L"", 1));
    list.sort_and_dedupe();

    list.count_use(L"p");
    list.count_use(L"not known");
    const std::vector<program_item> items = snapshot(list);
    EXPECT_EQ(items[0].use_count, 2);
    EXPECT_EQ(items[1].use_count, 1);
    EXPECT_FALSE(list.is_changed()) << "a launch does not mark the index changed";
    EXPECT_EQ(list.total_use_count(), 103u);
}

// What a stored file brings when it is read late: the items as the file has
// them, whether each file is there, merged into what the run holds by then.
void merge(tolvanir_list& list, const std::vector<program_item>& stored,
           const std::vector<bool>& present) {
    packed_items packed;
    for (const program_item& item : stored) packed.add(item);
    list.merge_stored(std::move(packed), present);
}

std::vector<std::tuple<std::wstring, std::wstring, std::wstring, std::int32_t>> fields(
    const tolvanir_list& list) {
    std::vector<std::tuple<std::wstring, std::wstring, std::wstring, std::int32_t>> out;
    for (const program_item& item : snapshot(list))
        out.emplace_back(item.display_name, item.path, item.target, item.use_count);
    return out;
}

TEST(TolvanirList, MergeStoredIsWhatALoadAtStartWouldHaveGiven) {
    tolvanir_list list;
    list.follow_renames();
    // What the scanners and watchers did before the file could be read.
    list.insert_item(make_item(L"scanned a", L"C:\\S\\a.lnk", L"C:\\new.exe"));
    list.count_use(L"C:\\S\\a.lnk");  // launched once in this run
    list.insert_item(make_item(L"Twin", L"C:\\S\\t1.lnk", L"C:\\t.exe"));
    list.insert_item(make_item(L"Twin", L"C:\\S\\t2.lnk", L"C:\\t.exe"));
    list.insert_item(make_item(L"scanned r", L"C:\\S\\r.lnk"));
    list.rename_path(L"C:\\S\\r.lnk", L"C:\\S\\r2.lnk");
    list.sort_and_dedupe();  // drops the second Twin; its path stays known
    ASSERT_FALSE(list.is_changed());

    merge(list,
          {make_item(L"Stored A", L"C:\\S\\a.lnk", L"C:\\old.exe", 5),
           make_item(L"Gone", L"C:\\S\\gone.lnk", L"", 9),
           make_item(L"New", L"C:\\S\\new.lnk", L"", 2),
           make_item(L"Stored T2", L"C:\\S\\t2.lnk", L"C:\\t.exe", 4),
           make_item(L"Stored R", L"C:\\S\\r.lnk", L"", 3),
           make_item(L"Again A", L"C:\\S\\a.lnk", L"", 1)},
          {true, false, true, true, false, true});
    EXPECT_TRUE(list.is_changed());
    using row = std::tuple<std::wstring, std::wstring, std::wstring, std::int32_t>;
    // The held items took the stored texts and add the counts, and follow the
    // rename; what a load would have inserted is inserted, at the end.
    EXPECT_EQ(fields(list), (std::vector<row>{{L"Twin", L"C:\\S\\t1.lnk", L"C:\\t.exe", 0},
                                              {L"Stored A", L"C:\\S\\a.lnk", L"C:\\old.exe", 6},
                                              {L"New", L"C:\\S\\new.lnk", L"", 2},
                                              {L"Stored T2", L"C:\\S\\t2.lnk", L"C:\\t.exe", 4},
                                              {L"Stored R", L"C:\\S\\r2.lnk", L"", 3},
                                              {L"Again A", L"C:\\S\\a.lnk", L"", 1}}));
    EXPECT_FALSE(list.contains_path(L"C:\\S\\gone.lnk"));
    EXPECT_EQ(list.total_use_count(), 116u);
    list.sort_and_dedupe();
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"Again A", L"New", L"Stored A", L"Stored R",
                                                      L"Stored T2", L"Twin"}));

    // Renames are followed only until the merge.
    list.rename_path(L"C:\\S\\new.lnk", L"C:\\S\\new2.lnk");
    list.sort_and_dedupe();
    merge(list, {make_item(L"Late", L"C:\\S\\new.lnk", L"", 1)}, {false});
    EXPECT_FALSE(list.is_changed());
}

}  // namespace
}  // namespace tolvanir
