// Makes a sample Start Menu of COUNT distinct files (50 a folder) under
// TREE_DIR, and in OUT_DIR what the benchmarks read of it:
//   Index.json            as the program writes it (natural order, deduplicated)
//   Index-scan-order.json the same items in the order a scan found them
//   search_texts.txt      the items' search texts one per line, for other filters
//
//   make_sample_index COUNT TREE_DIR OUT_DIR
#include <boost/filesystem/operations.hpp>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "config/json_file.h"
#include "index/index_file.h"
#include "platform/file_replace.h"
#include "platform/utf8.h"
#include "sample_menu.h"

int main(int argc, char** argv) {
    using namespace tolvanir;
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_sample_index COUNT TREE_DIR OUT_DIR\n");
        return 2;
    }
    const boost::filesystem::path out(argv[3]);
    boost::filesystem::create_directories(out);
    const bench::sample_menu menu =
        bench::make_sample_menu(argv[2], std::strtoul(argv[1], nullptr, 10));
    tolvanir_list index;
    for (const program_item& item : menu.items) index.insert_item(item);
    if (!save_index(index, out / "Index.json")) return 1;
    const std::vector<program_item> saved = index.copy_items();
    // The scan-order file must differ from the program's own in order alone.
    std::string written;
    if (read_file_bytes(out / "Index.json", written) != file_read::read ||
        written != bench::index_text_in_order(saved)) {
        std::fprintf(stderr, "make_sample_index: the writers disagree\n");
        return 1;
    }
    if (!replace_file_contents(out / "Index-scan-order.json",
                               bench::index_text_in_order(menu.items))) {
        return 1;
    }
    std::ofstream texts((out / "search_texts.txt").c_str(), std::ios::binary);
    for (const program_item& item : saved) texts << to_utf8(item.search_text) << '\n';
    std::printf("%zu files in %zu folders; %zu items written\n", menu.items.size(), menu.folders,
                saved.size());
    return texts ? 0 : 1;
}
