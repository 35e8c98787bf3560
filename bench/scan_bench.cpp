// Scanning a tree of 10,000 shortcuts and executables (real files: copies of
// the test fixtures), into an empty index each time.
#include <benchmark/benchmark.h>

#include <boost/filesystem/operations.hpp>
#include <string>

#include "index/directory_scan.h"

namespace tolvanir::bench {

namespace {

namespace fs = boost::filesystem;

struct sample_tree {
    sample_tree() {
        root = fs::temp_directory_path() / fs::unique_path("tolvanir-scan-%%%%-%%%%");
        const fs::path fixtures(TOLVANIR_FIXTURES_DIR);
        const fs::path sources[] = {
            fixtures / "pe" / "described.exe", fixtures / "pe" / "no_version.exe",
            fixtures / "lnk" / "notepad.lnk", fixtures / "lnk" / "environment.lnk"};
        for (int i = 0; i < 10000; ++i) {
            const fs::path folder =
                root / ("vendor" + std::to_string(i % 40)) / ("app" + std::to_string(i % 7));
            fs::create_directories(folder);
            const fs::path& source = sources[i % 4];
            fs::copy_file(source, folder / ("p" + std::to_string(i) + source.extension().string()));
        }
    }
    ~sample_tree() { fs::remove_all(root); }
    fs::path root;
};

void BM_ScanTree10k(benchmark::State& state) {
    static sample_tree tree;
    std::size_t items = 0;
    for (auto _ : state) {
        tolvanir_list index;
        stop_event stop;
        scan_tree(index, tree.root.wstring(), 3, stop);
        items = 0;
        items = index.copy_items().size();
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["items_per_second"] =
        benchmark::Counter(static_cast<double>(items) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanTree10k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

}  // namespace tolvanir::bench
