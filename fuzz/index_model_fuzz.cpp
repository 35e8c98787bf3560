// What scanners, watchers, launches and keystrokes do to the index, in any
// order the bytes say: the index and its query must give what the plain way
// of doing the same gives (tests/support/reference_index.h). Each byte is one
// step; the values pick from small pools of names, paths and queries chosen
// to tie, repeat, hold Chinese and characters beyond U+FFFF.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "index/pinyin.h"
#include "search/launcher_query.h"
#include "support/reference_index.h"

using namespace tolvanir;
using fuzz::require;

namespace {

const std::wstring names[] = {
    L"App",          L"app",        L"App 2", L"app 02", L"\u8BB0\u4E8B\u672C",
    L"\u97F3\u4E50", L"\U0001F600", L""};
const std::wstring targets[] = {L"", L"C:\\t\\a.exe"};
const std::wstring directories[] = {L"C:\\S", L"C:\\S\\G", L"C:\\S\\G2", L"D:\\"};
const std::wstring files[] = {L"a.lnk", L"\u8BB0.lnk"};
const std::int32_t counts[] = {0, 1, -1, INT32_MIN};
const std::wstring queries[] = {L"", L"a", L"app", L"jsb", L"yinyue", L"2", L"\U0001F600", L"z"};

std::wstring path_of(unsigned v) {
    const std::wstring& dir = directories[v % 4];
    return (dir.back() == L'\\' ? dir : dir + L"\\") + files[(v / 4) % 2];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tolvanir_list index;
    testing::reference_index reference;
    launcher_query launcher(index);
    counting_result_list list;
    for (std::size_t k = 0; k + 1 < size; k += 2) {
        const unsigned op = data[k] % 8, v = data[k + 1];
        if (op < 3) {
            program_item item;
            item.display_name = names[v % 8];
            item.search_text = item.display_name + to_pinyin(item.display_name);
            item.path = path_of(v / 8);
            item.target = targets[(v / 64) % 2];
            item.use_count = counts[op % 3 + (v / 128)];
            index.insert_item(item);
            reference.insert_item(item);
        } else if (op == 3) {
            index.sort_and_dedupe();
            reference.sort_and_dedupe();
        } else if (op == 4) {
            const std::wstring gone = v % 2 ? path_of(v / 2) : directories[(v / 2) % 4];
            index.remove_path(gone);
            reference.remove_path(gone);
        } else if (op == 5) {
            const std::wstring from = v % 2 ? path_of(v / 2) : directories[(v / 2) % 4];
            const std::wstring to = v % 2 ? path_of(v / 16) : directories[(v / 16) % 4];
            index.rename_path(from, to);
            reference.rename_path(from, to);
        } else if (op == 6) {
            index.count_use(path_of(v));
            reference.count_use(path_of(v));
        } else {
            launcher.run_search(queries[v % 8], list);
            const shown_results expected = reference.query(queries[v % 8]);
            const shown_results& got = launcher.results();
            require(got.size() == expected.size(), "a query gives another number of rows");
            for (std::size_t r = 0; r < got.size(); ++r) {
                require(got[r].shown_text == expected[r].shown_text &&
                            got[r].launch_text == expected[r].launch_text &&
                            got[r].score == expected[r].score,
                        "a query gives other rows");
            }
        }
        for (unsigned p = 0; p < 8; ++p) {
            require(index.contains_path(path_of(p)) == reference.contains_path(path_of(p)),
                    "the known paths differ");
        }
        require(index.usage_total() == reference.usage_total(), "the usage totals differ");
        require(index.is_changed() == reference.is_changed(), "the changed flags differ");
    }
    index.sort_and_dedupe();
    reference.sort_and_dedupe();
    require(fuzz::same_items(fuzz::items_of(index), reference.items()), "the items differ");
    return 0;
}
