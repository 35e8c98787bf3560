// Building the reading texts of a whole index, as a rescan does.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "index/reading_text.h"
#include "sample_index.h"

namespace tolvanir::bench {

namespace {

void BM_ReadingTexts(benchmark::State& state) {
    const std::vector<std::wstring> names =
        sample_display_names(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        for (const std::wstring& name : names) {
            std::wstring text = reading_text(name);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadingTexts)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace tolvanir::bench
