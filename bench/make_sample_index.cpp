// Writes a sample Index.json of COUNT realistic items, every one pointing at
// EXISTING_FILE so that loading keeps them, and the same items' search texts
// one per line, for comparisons with other filters.
//
//   make_sample_index COUNT EXISTING_FILE INDEX_JSON SEARCH_TEXTS
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "index/index_file.h"
#include "platform/utf8.h"
#include "sample_index.h"

int main(int argc, char** argv) {
    using namespace tolvanir;
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: make_sample_index COUNT EXISTING_FILE INDEX_JSON SEARCH_TEXTS\n");
        return 2;
    }
    tolvanir_list sample, index;
    bench::fill_sample_index(sample, std::strtoul(argv[1], nullptr, 10));
    std::ofstream texts(argv[4], std::ios::binary);
    const std::wstring target = from_utf8(argv[2]);
    for (program_item item : sample.copy_items()) {
        texts << to_utf8(item.search_text) << '\n';
        item.path = target;
        index.insert_item(std::move(item));
    }
    return save_index(index, boost::filesystem::path(argv[3])) && texts ? 0 : 1;
}
