// One keystroke's work: usage total, sort and dedupe when the index changed,
// scoring every item, sorting the matches, filling a list.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "sample_index.h"
#include "search/launcher_query.h"

namespace tolvanir::bench {

namespace {

using counting_list = counting_result_list;

const std::vector<std::wstring> typed_queries = {
    L"", L"v", L"vis", L"visual studio", L"jsb", L"jishiben", L"ps2020", L"\u8BB0\u4E8B", L"zzzz"};

tolvanir_list& sample(std::size_t count) {
    static std::vector<std::unique_ptr<tolvanir_list>> cache(8);
    std::size_t slot = count == 1000 ? 0 : count == 10000 ? 1 : 2;
    if (!cache[slot]) {
        cache[slot] = std::make_unique<tolvanir_list>();
        fill_sample_index(*cache[slot], count);
        cache[slot]->sort_and_dedupe();
    }
    return *cache[slot];
}

// A keystroke on a settled index, cycling through realistic queries.
void BM_Keystroke(benchmark::State& state) {
    tolvanir_list& index = sample(static_cast<std::size_t>(state.range(0)));
    launcher_query launcher(index);
    counting_list list;
    std::size_t q = 0;
    for (auto _ : state) {
        launcher.on_query_changed(typed_queries[q++ % typed_queries.size()], list);
        benchmark::DoNotOptimize(list.rows);
    }
}
BENCHMARK(BM_Keystroke)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Worst case per query: every item matches and is copied into the results.
void BM_EmptyQuery(benchmark::State& state) {
    tolvanir_list& index = sample(static_cast<std::size_t>(state.range(0)));
    launcher_query launcher(index);
    counting_list list;
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
