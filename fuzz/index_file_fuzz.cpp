// Index.json from arbitrary bytes. The streaming reader exists only to be a
// faster tree reader, so both must take and refuse the same files and find
// the same items; and whatever is written must read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/json_file.h"
#include "fuzz_check.h"
#include "index/index_file.h"
#include "support/json_event_log.h"

using namespace tolvanir;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // No file system: any named file counts as present.
    const file_test exists = [](const std::wstring& path) { return !path.empty(); };

    tolvanir_list from_text;
    const bool text_ok = load_index_text(bytes, from_text, exists);

    wptree tree;
    tolvanir_list from_tree;
    const bool tree_ok = parse_json_text(bytes, tree);
    if (tree_ok) load_index_tree(tree, from_tree, exists);

    require(text_ok == tree_ok, "text and tree readers disagree on whether the file parses");
    // Files are read in pieces: where a piece ends must not matter.
    const std::vector<std::size_t> pieces = {1 + size % 7, 1, 1 + size % 17};
    require(testing::read_events(bytes) == testing::read_events(bytes, pieces),
            "the reader reports otherwise when the bytes come in pieces");
    require(fuzz::same_items(fuzz::items_of(from_text), fuzz::items_of(from_tree)),
            "text and tree readers found different items");
    if (!text_ok) return 0;

    const std::string written = index_text(from_text);  // sorts and dedupes from_text
    tolvanir_list reread;
    require(load_index_text(written, reread, exists), "a written index does not parse");
    reread.sort_and_dedupe();
    require(fuzz::same_items(fuzz::items_of(from_text), fuzz::items_of(reread)),
            "a written index reads back different items");
    return 0;
}
