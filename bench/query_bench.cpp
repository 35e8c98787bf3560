// One keystroke's work: usage total, sort and dedupe when the index changed,
// scoring every item, sorting the matches, filling a list.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/json_file.h"
#include "index/index_file.h"
#include "platform/file_replace.h"
#include "sample_menu.h"
#include "search/launcher_query.h"

namespace tolvanir::bench {

namespace {

using counting_list = counting_result_list;

const std::vector<std::wstring> typed_queries = {
    L"", L"e", L"vis", L"visual studio", L"jsb", L"jishiben", L"ps2020", L"\u8BB0\u4E8B", L"zzzz"};

// The index as a start leaves it: the menu's items saved by the program,
// then loaded from that file (or from the same items in the order a scan
// found them: a hand-made or older file), stored paths checked and all.
tolvanir_list& loaded(std::size_t count, bool scan_order = false) {
    static std::map<std::pair<std::size_t, bool>, std::unique_ptr<tolvanir_list>> cache;
    std::unique_ptr<tolvanir_list>& index = cache[{count, scan_order}];
    if (!index) {
        const sample_menu& menu = kept_menu(count);
        const boost::filesystem::path file =
            menu.root / (scan_order ? "Index-scan-order.json" : "Index.json");
        if (scan_order) {
            if (!replace_file_contents(file, index_text_in_order(menu.items))) std::abort();
        } else {
            tolvanir_list scanned;
            for (const program_item& item : menu.items) scanned.insert_item(item);
            if (!save_index(scanned, file)) std::abort();
        }
        index = std::make_unique<tolvanir_list>();
        if (load_index(*index, file) != file_read::read) std::abort();
    }
    return *index;
}

// The index as scanning leaves it: items inserted in the order they were found.
tolvanir_list& scanned(std::size_t count) {
    static std::map<std::size_t, std::unique_ptr<tolvanir_list>> cache;
    std::unique_ptr<tolvanir_list>& index = cache[count];
    if (!index) {
        index = std::make_unique<tolvanir_list>();
        for (const program_item& item : kept_menu(count).items) index->insert_item(item);
    }
    return *index;
}

// A keystroke on a settled index, cycling through realistic queries. The
// window's query lives as long as the window: what it keeps of the items is
// built by the first query, before timing starts.
void BM_Keystroke(benchmark::State& state) {
    tolvanir_list& index = loaded(static_cast<std::size_t>(state.range(0)));
    launcher_query launcher(index);
    counting_list list;
    launcher.on_query_changed(L"x", list);
    std::size_t q = 0;
    for (auto _ : state) {
        launcher.on_query_changed(typed_queries[q++ % typed_queries.size()], list);
        benchmark::DoNotOptimize(list.rows);
    }
}
BENCHMARK(BM_Keystroke)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// One query again and again, after a first run of it.
void repeat_query(benchmark::State& state, tolvanir_list& index, const std::wstring& query) {
    launcher_query launcher(index);
    counting_list list;
    launcher.on_query_changed(query, list);
    for (auto _ : state) {
        launcher.on_query_changed(query, list);
        benchmark::DoNotOptimize(list.rows);
    }
    state.SetLabel("'" + std::string(query.begin(), query.end()) + "' " +
                   std::to_string(list.rows) + " rows");
}

// Every query on its own, the broadest ones (one letter, nothing typed) too,
// after loading the file as the program writes it.
void BM_Query(benchmark::State& state) {
    repeat_query(state, loaded(static_cast<std::size_t>(state.range(1))),
                 typed_queries[static_cast<std::size_t>(state.range(0))]);
}
BENCHMARK(BM_Query)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 8}, {100000}})
    ->Unit(benchmark::kMillisecond);

// The same after loading the items in the order a scan found them, whose
// texts lie in memory in that order rather than in index order.
void BM_QueryAfterScanOrderLoad(benchmark::State& state) {
    repeat_query(state, loaded(100000, true),
                 typed_queries[static_cast<std::size_t>(state.range(0))]);
}
BENCHMARK(BM_QueryAfterScanOrderLoad)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond);

// The same on an index just filled by scanning.
void BM_QueryAfterScan(benchmark::State& state) {
    repeat_query(state, scanned(100000), typed_queries[static_cast<std::size_t>(state.range(0))]);
}
BENCHMARK(BM_QueryAfterScan)->Arg(0)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

// The first query of a new window: what the query keeps of each item is built.
void BM_FirstQuery(benchmark::State& state) {
    tolvanir_list& index = loaded(static_cast<std::size_t>(state.range(0)));
    counting_list list;
    for (auto _ : state) {
        launcher_query launcher(index);
        launcher.on_query_changed(L"vis", list);
        benchmark::DoNotOptimize(list.rows);
    }
}
BENCHMARK(BM_FirstQuery)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Worst case per query: every item matches and is copied into the results.
void BM_EmptyQuery(benchmark::State& state) {
    tolvanir_list& index = loaded(static_cast<std::size_t>(state.range(0)));
    launcher_query launcher(index);
    counting_list list;
    launcher.on_query_changed(L"", list);
    for (auto _ : state) {
        launcher.on_query_changed(L"", list);
        benchmark::DoNotOptimize(list.rows);
    }
}
BENCHMARK(BM_EmptyQuery)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The refresh after a scanner added an item: the index is sorted again.
void BM_KeystrokeAfterChange(benchmark::State& state) {
    tolvanir_list index;
    for (const program_item& item : kept_menu(static_cast<std::size_t>(state.range(0))).items)
        index.insert_item(item);
    index.sort_and_dedupe();
    launcher_query launcher(index);
    counting_list list;
    launcher.on_query_changed(L"vis", list);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        program_item item;
        item.display_name = L"New Program " + std::to_wstring(n);
        item.search_text = item.display_name;
        item.path = L"C:\\new\\" + std::to_wstring(n++) + L".lnk";
        index.insert_item(std::move(item));
        state.ResumeTiming();
        launcher.on_query_changed(L"vis", list);
        benchmark::DoNotOptimize(list.rows);
    }
}
BENCHMARK(BM_KeystrokeAfterChange)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace tolvanir::bench
