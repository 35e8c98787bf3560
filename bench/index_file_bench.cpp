// Loading and saving Index.json of a real menu (bench/sample_menu.h): the
// file as the program writes it and the same items in the order a scan
// found them, every stored path checked against the file system.
#include <benchmark/benchmark.h>

#include <boost/filesystem/operations.hpp>
#include <cstdlib>

#include "index/index_file.h"
#include "platform/file_replace.h"
#include "sample_menu.h"

namespace tolvanir::bench {

namespace {

struct menu_files {
    explicit menu_files(std::size_t count) : menu(kept_menu(count)) {
        for (const program_item& item : menu.items) index.insert_item(item);
        written = menu.root / "Index.json";
        scan_order = menu.root / "Index-scan-order.json";
        if (!save_index(index, written) ||
            !replace_file_contents(scan_order, index_text_in_order(menu.items))) {
            std::abort();
        }
    }
    const sample_menu& menu;
    tolvanir_list index;
    boost::filesystem::path written, scan_order;
};

menu_files& files(std::size_t count) {
    static menu_files small(10000), large(100000);
    return count == 10000 ? small : large;
}

// Arguments: the number of items, and 1 for the file in scan order.
void BM_LoadIndex(benchmark::State& state) {
    menu_files& sample = files(static_cast<std::size_t>(state.range(0)));
    const boost::filesystem::path& file = state.range(1) ? sample.scan_order : sample.written;
    for (auto _ : state) {
        tolvanir_list index;
        load_index(index, file);
        benchmark::DoNotOptimize(index.usage_total());
    }
    tolvanir_list index;
    load_index(index, file);
    state.counters["items"] = static_cast<double>(index.copy_items().size());
    state.SetLabel(state.range(1) ? "scan order" : "as written");
}
BENCHMARK(BM_LoadIndex)->ArgsProduct({{10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);

// The file read alone, without the check: what the reading thread does
// while the lister asks the file system.
void BM_ReadStoredItems(benchmark::State& state) {
    menu_files& sample = files(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        stored_items stored;
        if (read_stored_items(sample.written, stored, 1) != file_read::read) std::abort();
        benchmark::DoNotOptimize(stored.items.size());
    }
}
BENCHMARK(BM_ReadStoredItems)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SaveIndex(benchmark::State& state) {
    menu_files& sample = files(static_cast<std::size_t>(state.range(0)));
    const boost::filesystem::path out = sample.menu.root / "Saved.json";
    for (auto _ : state) benchmark::DoNotOptimize(save_index(sample.index, out));
}
BENCHMARK(BM_SaveIndex)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace tolvanir::bench
