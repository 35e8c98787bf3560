// Settings.json from arbitrary bytes, through what start-up and exit do with
// it: the scan directories read, the first-run flag taken, the tree written.
// What is written must parse and hold the same directories. Read late into a
// run that added a directory, it must still be written, with that directory
// after its own.
#include <boost/property_tree/json_parser/error.hpp>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/json_file.h"
#include "config/settings.h"
#include "config/settings_merge.h"
#include "fuzz_check.h"

using namespace tolvanir;
using fuzz::require;

namespace {

bool same_directories(const std::vector<scanner_directory>& a,
                      const std::vector<scanner_directory>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k].directory != b[k].directory || a[k].depth != b[k].depth) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    wptree tree;
    if (!parse_json_text(std::string(reinterpret_cast<const char*>(data), size), tree)) return 0;
    const wptree file = tree;
    const std::vector<scanner_directory> directories = read_scan_directories(tree);

    wptree run;
    (void)read_scan_directories(run);
    const scanner_directory added{L"D:\\Added", 3};
    wptree entry;
    entry.push_back({L"", wptree(added.directory)});
    entry.push_back({L"", wptree(L"3")});
    run.get_child(L"scan_directory").push_back({L"", entry});
    merged_settings merged = merge_settings(file, run);
    std::vector<scanner_directory> expected =
        file.data().empty() ? directories : std::vector<scanner_directory>();
    bool listed = false;
    for (const scanner_directory& d : expected) listed = listed || d.directory == added.directory;
    if (!listed) expected.push_back(added);
    require(same_directories(expected, read_scan_directories(merged.tree)),
            "a late merge lost or doubled a directory");
    try {
        (void)format_json_text(merged.tree);
    } catch (const boost::property_tree::json_parser::json_parser_error&) {
        require(false, "a late merge made the settings unwritable");
    }

    (void)take_first_run(tree);

    std::string text;
    try {
        text = format_json_text(tree);
    } catch (const boost::property_tree::json_parser::json_parser_error&) {
        return 0;  // a tree JSON cannot hold (a node with both a value and members)
    }
    wptree again;
    require(parse_json_text(text, again), "written settings do not parse");
    require(same_directories(directories, read_scan_directories(again)),
            "written settings hold other scan directories");
    require(!take_first_run(again), "the first-run flag taken did not stay taken");
    return 0;
}
