// What the watchers do to a large index: removals of files the index never
// held (temporary files deleted inside a watched tree) and a folder renamed
// while the same shortcuts stand under a second scan directory, so that
// deduplication dropped as many items as it kept.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "index/tolvanir_list.h"
#include "sample_menu.h"

namespace tolvanir::bench {

namespace {

void fill(tolvanir_list& index, const sample_menu& menu) {
    for (const program_item& item : menu.items) index.insert_item(item);
}

// 10,000 deletions of temporary files spread over the menu's folders, each
// applied the way the watcher applies it.
void BM_WatcherDeletesUnknown(benchmark::State& state) {
    const sample_menu& menu = kept_menu(static_cast<std::size_t>(state.range(0)));
    tolvanir_list index;
    fill(index, menu);
    index.sort_and_dedupe();
    std::vector<std::wstring> temporary;
    for (std::size_t n = 0; n < 10000; ++n) {
        const std::wstring& beside = menu.items[n * 37 % menu.items.size()].path;
        temporary.push_back(beside.substr(0, beside.find_last_of(L"\\/") + 1) + L"~DF" +
                            std::to_wstring(n) + L".tmp");
    }
    for (auto _ : state) {
        for (const std::wstring& path : temporary) index.remove_path(path);
    }
    state.counters["items"] = static_cast<double>(index.copy_items().size());
}
BENCHMARK(BM_WatcherDeletesUnknown)->Arg(100000)->Unit(benchmark::kMillisecond);

// The menu's folder renamed and renamed back, with every item duplicated
// under a second scan directory that was scanned after it.
void BM_RenameFolderWithDuplicates(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const sample_menu& first = kept_menu(count, "renamed");
    const sample_menu& second = kept_menu(count, "renamed-copy");
    tolvanir_list index;
    fill(index, first);
    fill(index, second);
    index.sort_and_dedupe();
    const std::wstring from = first.root.wstring();
    const std::wstring to = from + L" (moved)";
    bool moved = false;
    for (auto _ : state) {
        index.rename_path(moved ? to : from, moved ? from : to);
        moved = !moved;
    }
    state.counters["items"] = static_cast<double>(index.copy_items().size());
}
BENCHMARK(BM_RenameFolderWithDuplicates)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace tolvanir::bench
