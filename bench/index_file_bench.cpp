// Loading and saving Index.json with 10,000 items.
#include <benchmark/benchmark.h>

#include <boost/filesystem/operations.hpp>
#include <fstream>

#include "index/index_file.h"
#include "sample_index.h"

namespace tolvanir::bench {

namespace {

// Every item points at one file that exists, so loading keeps them all.
struct sample_file {
    sample_file() {
        dir = boost::filesystem::temp_directory_path() /
              boost::filesystem::unique_path("tolvanir-bench-%%%%-%%%%");
        boost::filesystem::create_directories(dir);
        const boost::filesystem::path target = dir / "program.lnk";
        std::ofstream(target.c_str()) << "x";
        fill_sample_index(index, 10000);
        tolvanir_list relinked;
        for (program_item item : index.copy_items()) {
            item.path = target.wstring();
            relinked.insert_item(std::move(item));
        }
        file = dir / "Index.json";
        (void)save_index(relinked, file);
    }
    ~sample_file() { boost::filesystem::remove_all(dir); }

    tolvanir_list index;
    boost::filesystem::path dir, file;
};

sample_file& sample() {
    static sample_file s;
    return s;
}

void BM_LoadIndex10k(benchmark::State& state) {
    for (auto _ : state) {
        tolvanir_list index;
        load_index(index, sample().file);
        benchmark::DoNotOptimize(index.total_use_count());
    }
}
BENCHMARK(BM_LoadIndex10k)->Unit(benchmark::kMillisecond);

void BM_SaveIndex10k(benchmark::State& state) {
    const boost::filesystem::path out = sample().dir / "Saved.json";
    for (auto _ : state) benchmark::DoNotOptimize(save_index(sample().index, out));
}
BENCHMARK(BM_SaveIndex10k)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace tolvanir::bench
