// Scanner- and watcher-like threads, and a late read of the index file,
// change the index while the window thread queries it and counts launches; afterwards the index
// must still hold its invariants. The existence check of a load lists and
// answers on two threads. Run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <atomic>
#include <boost/thread/thread.hpp>
#include <set>
#include <string>
#include <vector>

#include "index/present_files.h"
#include "index/tolvanir_list.h"
#include "platform/natural_compare.h"
#include "platform/utf8.h"
#include "search/launcher_query.h"
#include "support/fake_result_list.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

program_item make_item(const std::wstring& dir, int n) {
    program_item item;
    item.display_name = L"Program " + std::to_wstring(n % 37);
    item.search_text = item.display_name;
    item.path = dir + L"\\p" + std::to_wstring(n) + L".lnk";
    item.target = L"C:\\bin\\p" + std::to_wstring(n % 11) + L".exe";
    return item;
}

TEST(Concurrency, IndexSurvivesScannersWatchersAndQueries) {
    tolvanir_list index;
    std::atomic<bool> scanning{true};
    constexpr int scanners = 3;
    constexpr int per_scanner = 400;

    boost::thread_group threads;
    for (int s = 0; s < scanners; ++s) {
        threads.create_thread([&index, s] {
            const std::wstring dir = L"C:\\scan" + std::to_wstring(s);
            for (int n = 0; n < per_scanner; ++n) {
                program_item item = make_item(dir, n);
                if (!index.contains_path(item.path)) index.insert_item(std::move(item));
            }
        });
        // The watcher of the same directory: removes, renames there and back.
        threads.create_thread([&index, &scanning, s] {
            const std::wstring dir = L"C:\\scan" + std::to_wstring(s);
            int n = 0;
            while (scanning.load()) {
                const std::wstring path = dir + L"\\p" + std::to_wstring(n % per_scanner) + L".lnk";
                switch (n % 3) {
                    case 0:
                        index.remove_path(path);
                        break;
                    case 1:
                        index.rename_path(path, path + L".tmp");
                        break;
                    default:
                        index.rename_path(path + L".tmp", path);
                        break;
                }
                if (!index.contains_path(path)) index.insert_item(make_item(dir, n % per_scanner));
                ++n;
            }
        });
    }

    // An index file read late, merged while all of that goes on.
    threads.create_thread([&index, &scanning] {
        int round = 0;
        while (scanning.load()) {
            index.follow_renames();
            packed_items stored;
            for (int n = round % 7; n < per_scanner; n += 25) {
                program_item item = make_item(L"C:\\scan" + std::to_wstring(n % scanners), n);
                item.display_name = L"Stored " + std::to_wstring(n % 5);
                item.use_count = 1;
                stored.add(item);
            }
            const std::vector<bool> present(stored.items.size(), round % 2 == 0);
            index.merge_stored(std::move(stored), present);
            ++round;
        }
    });

    launcher_query launcher(index);
    testing::fake_result_list list;
    const wchar_t* queries[] = {L"", L"p", L"program 1", L"pr3", L"zzz"};
    for (int round = 0; round < 300; ++round) {
        launcher.on_query_changed(queries[round % 5], list);
        for (const testing::fake_result_list::row& row : list.rows) {
            ASSERT_NE(row.data, nullptr);
            index.count_use(*row.data);
            break;
        }
        (void)index.is_changed();
        (void)index.total_use_count();
    }
    scanning = false;
    threads.join_all();

    index.sort_and_dedupe();
    EXPECT_FALSE(index.is_changed());
    std::vector<program_item> items;
    items = index.copy_items();
    ASSERT_FALSE(items.empty());
    for (std::size_t k = 0; k < items.size(); ++k) {
        EXPECT_TRUE(index.contains_path(items[k].path)) << "every item's path is known";
        if (k == 0) continue;
        const program_item& previous = items[k - 1];
        EXPECT_LE(natural_compare(previous.display_name, items[k].display_name), 0);
        EXPECT_FALSE(previous.display_name == items[k].display_name &&
                     previous.target == items[k].target)
            << "no equal neighbours after dedupe";
    }
}

// An insertion racing a removal of the same path must not leave an item whose
// path is forgotten (such an item could never be removed or counted again).
TEST(Concurrency, InsertionAndRemovalOfOnePathKeepEveryItemKnown) {
    tolvanir_list index;
    const std::wstring path = L"C:\\scan\\p0.lnk";
    std::atomic<bool> running{true};
    boost::thread remover([&] {
        while (running.load()) index.remove_path(path);
    });
    for (int n = 0; n < 20000; ++n) {
        index.insert_item(make_item(L"C:\\scan", 0));
        bool orphan = false;
        orphan = !index.copy_items().empty();
        if (orphan && !index.contains_path(path)) {
            // Removal may have run after the check above; only a lasting orphan counts.
            orphan = !index.copy_items().empty();
            if (orphan && !index.contains_path(path)) {
                running = false;
                remover.join();
                FAIL() << "an item outlived its known path, after " << n << " insertions";
            }
        }
    }
    running = false;
    remover.join();
}

// Directories are listed on two threads while paths come in, and the paths
// are answered on both: the same answers as one status query each.
TEST(Concurrency, TheExistenceCheckAnswersOnTwoThreadsAsAStatusQueryWould) {
    testing::temp_dir dir;
    std::vector<std::string> stored;
    for (int folder = 0; folder < 60; ++folder) {
        const boost::filesystem::path at = dir / (L"f" + std::to_wstring(folder));
        boost::filesystem::create_directory(at);
        boost::filesystem::create_directory(at / L"sub.exe");
        for (int n = 0; n < 6; ++n) {
            testing::write_bytes(at / (L"p" + std::to_wstring(n) + L".lnk"), "x");
        }
        for (const wchar_t* name : {L"p0.lnk", L"gone.lnk", L"sub.exe", L"p5.lnk", L"p3.lnk"}) {
            stored.emplace_back();
            append_wtf8(stored.back(), (at / name).wstring());
        }
    }
    // Paths of one folder far apart, as in a file sorted by name, and some
    // stored more than once: enough for the paths to be handed over in
    // several batches.
    std::vector<std::string_view> paths;
    for (std::size_t k = 0; k < 15 * stored.size(); ++k) {
        paths.push_back(stored[(k * 37) % stored.size()]);
    }
    const std::vector<bool> found = regular_files(paths);
    ASSERT_EQ(found.size(), paths.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        boost::system::error_code error;
        const bool regular = boost::filesystem::status(from_wtf8(paths[k]), error).type() ==
                             boost::filesystem::regular_file;
        EXPECT_EQ(found[k], regular) << std::string(paths[k]);
    }
}

}  // namespace
}  // namespace tolvanir
