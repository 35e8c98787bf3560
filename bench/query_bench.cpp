// One keystroke's work: usage total, sort and dedupe when the index changed,
// scoring every item, sorting the matches, filling a list.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "index/index_file.h"
#include "sample_index.h"
#include "search/launcher_query.h"

namespace tolvanir::bench {

namespace {

using counting_list = counting_result_list;

const std::vector<std::wstring> typed_queries = {
    L"", L"v", L"vis", L"visual studio", L"jsb", L"jishiben", L"ps2020", L"\u8BB0\u4E8B", L"zzzz"};

// The index as a start leaves it: loaded from Index.json, which holds the
// items in index order.
tolvanir_list& sample(std::size_t count) {
    static std::vector<std::unique_ptr<tolvanir_list>> cache(8);
    std::size_t slot = count == 1000 ? 0 : count == 10000 ? 1 : 2;
    if (!cache[slot]) {
        tolvanir_list scanned;
        fill_sample_index(scanned, count);
        const std::string saved = index_text(scanned);
        cache[slot] = std::make_unique<tolvanir_list>();
        (void)load_index_text(saved, *cache[slot], [](const std::wstring&) { return true; });
        cache[slot]->sort_and_dedupe();
    }
    return *cache[slot];
}

// The index as scanning leaves it: items in the order they were found.
tolvanir_list& scanned_sample(std::size_t count) {
    static std::unique_ptr<tolvanir_list> scanned;
    if (!scanned) {
        scanned = std::make_unique<tolvanir_list>();
        fill_sample_index(*scanned, count);
        scanned->sort_and_dedupe();
    }
    return *scanned;
}

// A keystroke on a settled index, cycling through realistic queries. The
// window's query lives as long as the window: what it keeps of the items is
// built by the first query, before timing starts.
void BM_Keystroke(benchmark::State& state) {
    tolvanir_list& index = sample(static_cast<std::size_t>(state.range(0)));
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

// Every query on its own, the broadest ones (one letter, nothing typed) too.
void BM_Query(benchmark::State& state) {
    repeat_query(state, sample(static_cast<std::size_t>(state.range(1))),
                 typed_queries[static_cast<std::size_t>(state.range(0))]);
}
BENCHMARK(BM_Query)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 8}, {100000}})
    ->Unit(benchmark::kMillisecond);

// The same on an index just filled by scanning, whose items lie in memory in
// the order they were found rather than in index order.
void BM_QueryAfterScan(benchmark::State& state) {
    repeat_query(state, scanned_sample(100000),
                 typed_queries[static_cast<std::size_t>(state.range(0))]);
}
BENCHMARK(BM_QueryAfterScan)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The first query of a new window: what the query keeps of each item is built.
void BM_FirstQuery(benchmark::State& state) {
    tolvanir_list& index = sample(static_cast<std::size_t>(state.range(0)));
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
    tolvanir_list& index = sample(static_cast<std::size_t>(state.range(0)));
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
    fill_sample_index(index, static_cast<std::size_t>(state.range(0)));
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
