// The index and its query against the plain way of doing the same
// (support/reference_index.h), over random runs of what scanners, watchers,
// launches, keystrokes and an index file read late do, from an empty index
// or one loaded from a file: the same items, known paths, totals, rows,
// scores and order after every step (rows read too after the items changed
// under them), and the same items read back from what is written. The names are chosen to tie,
// repeat, hold Chinese and characters beyond U+FFFF.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "index/index_file.h"
#include "index/pinyin.h"
#include "index/tolvanir_list.h"
#include "search/launcher_query.h"
#include "support/fake_result_list.h"
#include "support/reference_index.h"

namespace tolvanir {
namespace {

const std::vector<std::wstring> names = {L"App",
                                         L"app",
                                         L"App 2",
                                         L"App 10",
                                         L"app 02",
                                         L"\u8BB0\u4E8B\u672C",
                                         L"\u97F3\u4E50",
                                         L"QQ\u97F3\u4E50",
                                         L"\u94F6\u884C 2",
                                         L"Smile \U0001F600",
                                         L"\u00C4rger",
                                         L""};
const std::vector<std::wstring> targets = {L"", L"C:\\t\\a.exe", L"C:\\t\\b.exe"};
// With directories the index never holds items in: a prefix of a name, one
// with a trailing separator, one elsewhere.
const std::vector<std::wstring> directories = {
    L"C:\\S", L"C:\\S\\Games", L"C:\\S\\Games2", L"D:\\", L"C:\\S\\Gam", L"C:\\S\\", L"C:\\Temp"};
const std::vector<std::wstring> files = {L"a.lnk", L"b.lnk", L"\u8BB0.lnk", L"x\U0001F600.lnk"};
const std::vector<std::int32_t> counts = {0, 1, 7, -1, INT32_MIN};
const std::vector<std::wstring> queries = {L"",           L"a",      L"app", L"jsb",
                                           L"yinyue",     L"qqyy",   L"yh",  L"2",
                                           L"\U0001F600", L"\u00E4", L"zz",  L"ji"};

std::wstring join(const std::wstring& dir, const std::wstring& name) {
    return dir.back() == L'\\' ? dir + name : dir + L"\\" + name;
}

void expect_same_items(const std::vector<program_item>& got,
                       const std::vector<program_item>& expected, int step) {
    ASSERT_EQ(got.size(), expected.size()) << "step " << step;
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].display_name, expected[k].display_name) << "step " << step;
        EXPECT_EQ(got[k].search_text, expected[k].search_text) << "step " << step;
        EXPECT_EQ(got[k].path, expected[k].path) << "step " << step;
        EXPECT_EQ(got[k].target, expected[k].target) << "step " << step;
        EXPECT_EQ(got[k].use_count, expected[k].use_count) << "step " << step;
    }
}

void expect_same_rows(const shown_results& got, const shown_results& expected, int step) {
    ASSERT_EQ(got.size(), expected.size()) << "step " << step;
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].shown_text, expected[k].shown_text) << "step " << step;
        EXPECT_EQ(got[k].launch_text, expected[k].launch_text) << "step " << step;
        EXPECT_EQ(got[k].score, expected[k].score) << "step " << step;
    }
}

// Index.json with the items in the order given, as the program formats it.
std::string text_in_order(const std::vector<program_item>& items) {
    wptree root;
    wptree& list = root.put_child(L"list", wptree());
    for (const program_item& item : items) {
        wptree& element = list.push_back(std::make_pair(std::wstring(), wptree()))->second;
        for (const std::wstring& field :
             {item.display_name, item.search_text, item.path, item.target,
              std::to_wstring(static_cast<std::uint32_t>(item.use_count))}) {
            element.push_back(std::make_pair(std::wstring(), wptree(field)));
        }
    }
    return format_json_text(root);
}

TEST(IndexDifferential, RandomRunsMatchThePlainIndexAndQuery) {
    std::vector<std::wstring> paths;
    for (const std::wstring& dir : directories) {
        for (const std::wstring& file : files) paths.push_back(join(dir, file));
    }
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        const auto any_file = [](const std::wstring&) { return true; };
        const auto pick = [&](const auto& pool) { return pool[rng() % pool.size()]; };
        tolvanir_list index;
        testing::reference_index reference;
        launcher_query launcher(index);
        testing::fake_result_list list;
        const auto random_item = [&] {
            program_item item;
            item.display_name = pick(names);
            item.search_text = item.display_name + L"Tool" + to_pinyin(item.display_name);
            item.path = pick(paths);
            item.target = pick(targets);
            item.use_count = pick(counts);
            return item;
        };
        if (seed % 2 == 0) {
            // Half the runs start from an index file, as the launcher does.
            std::vector<program_item> stored;
            for (int n = 0; n < 20; ++n) stored.push_back(random_item());
            ASSERT_TRUE(load_index_text(text_in_order(stored), index, any_file));
            for (const program_item& item : stored) reference.insert_item(item);
        }
        for (int step = 0; step < 300; ++step) {
            const unsigned op = rng() % 13;
            if (op == 3) {
                // The same shortcut under two scan directories: one of the two
                // is dropped, and either folder may be renamed later.
                program_item item;
                item.display_name = pick(names);
                item.search_text = item.display_name + to_pinyin(item.display_name);
                item.target = pick(targets);
                const std::wstring file = pick(files);
                for (const std::wstring& dir : {pick(directories), pick(directories)}) {
                    item.path = join(dir, file);
                    index.insert_item(item);
                    reference.insert_item(item);
                }
            } else if (op < 3) {
                const program_item item = random_item();
                index.insert_item(item);
                reference.insert_item(item);
            } else if (op == 10) {
                index.follow_renames();
                reference.follow_renames();
            } else if (op == 11) {
                std::vector<program_item> stored;
                packed_items packed;
                std::vector<bool> present;
                for (unsigned n = rng() % 5; n > 0; --n) {
                    stored.push_back(random_item());
                    packed.add(stored.back());
                    present.push_back(rng() % 3 != 0);
                }
                index.merge_stored(std::move(packed), present);
                reference.merge_stored(stored, present);
            } else if (op == 4) {
                index.sort_and_dedupe();
                reference.sort_and_dedupe();
                expect_same_items(index.copy_items(), reference.items(), step);
            } else if (op == 5) {
                // A file, a directory, or a temporary file the index never held.
                const unsigned which = rng() % 3;
                const std::wstring gone = which == 0   ? pick(paths)
                                          : which == 1 ? pick(directories)
                                                       : join(pick(directories), L"~DF1.tmp");
                index.remove_path(gone);
                reference.remove_path(gone);
            } else if (op == 6) {
                const bool directory = rng() % 2;
                const std::wstring from = directory ? pick(directories) : pick(paths);
                const std::wstring to = directory ? pick(directories) : pick(paths);
                index.rename_path(from, to);
                reference.rename_path(from, to);
            } else if (op == 7) {
                const std::wstring launched = pick(paths);
                index.count_use(launched);
                reference.count_use(launched);
            } else if (rng() % 2 == 0) {
                const std::wstring query = pick(queries);
                launcher.run_search(query, list);
                expect_same_rows(launcher.results(), reference.query(query), step);
                expect_same_items(index.copy_items(), reference.items(), step);
            } else {
                // The rows are read only after watchers have changed the items.
                const std::wstring query = pick(queries);
                counting_result_list no_texts;
                launcher.run_search(query, no_texts);
                const shown_results expected = reference.query(query);
                const std::wstring from = pick(directories), to = pick(directories);
                index.rename_path(from, to);
                reference.rename_path(from, to);
                const std::wstring gone = pick(paths);
                index.remove_path(gone);
                reference.remove_path(gone);
                expect_same_rows(launcher.results(), expected, step);
            }
            for (const std::wstring& path : paths) {
                ASSERT_EQ(index.contains_path(path), reference.contains_path(path))
                    << "seed " << seed << " step " << step;
            }
            ASSERT_EQ(index.usage_total(), reference.usage_total()) << "step " << step;
            ASSERT_EQ(index.is_changed(), reference.is_changed()) << "step " << step;
            if (::testing::Test::HasFailure()) return;
        }
        // What is written reads back the same through the streaming reader and
        // through the tree, and so does a file of the same items in another
        // order (a hand-made or older one): the same items once sorted, the
        // same rows for every query.
        const std::string written = index_text(index);
        reference.sort_and_dedupe();
        tolvanir_list streamed, from_tree;
        ASSERT_TRUE(load_index_text(written, streamed, any_file));
        wptree tree;
        ASSERT_TRUE(parse_json_text(written, tree));
        load_index_tree(tree, from_tree, any_file);
        expect_same_items(streamed.copy_items(), reference.items(), -1);
        expect_same_items(from_tree.copy_items(), reference.items(), -1);

        std::vector<program_item> shuffled = reference.items();
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        tolvanir_list scan_order;
        testing::reference_index expected;
        ASSERT_TRUE(load_index_text(text_in_order(shuffled), scan_order, any_file));
        for (const program_item& item : shuffled) expected.insert_item(item);
        for (tolvanir_list* loaded : {&streamed, &scan_order}) {
            testing::reference_index& plain = loaded == &streamed ? reference : expected;
            launcher_query loaded_query(*loaded);
            for (const std::wstring& query : queries) {
                loaded_query.run_search(query, list);
                expect_same_rows(loaded_query.results(), plain.query(query), -1);
            }
            expect_same_items(loaded->copy_items(), plain.items(), -1);
        }
    }
}

}  // namespace
}  // namespace tolvanir
