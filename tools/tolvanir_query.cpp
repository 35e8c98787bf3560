// tolvanir-query: the launcher's query from the command line, for debugging
// and benchmarks.
//
//   tolvanir-query INDEX_JSON [QUERY]          ranked rows, best first
//   tolvanir-query --repeat N INDEX_JSON QUERY  the same, timing N runs
//   tolvanir-query --pinyin TEXT               the pinyin of TEXT
//
// Rows are "score<TAB>display name<TAB>path" in UTF-8. Wrong arguments or an
// unreadable index: one line on standard error and exit status 2.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "config/json_file.h"
#include "index/index_file.h"
#include "index/pinyin.h"
#include "platform/command_line.h"
#include "platform/utf8.h"
#include "search/launcher_query.h"

namespace {

using namespace tolvanir;

constexpr int usage_error = 2;

int fail(const std::string& message) {
    std::fprintf(stderr, "tolvanir-query: %s\n", message.c_str());
    return usage_error;
}

// Loads as the launcher does, without moving a broken file aside: this tool
// only looks.
bool load(const std::wstring& file, tolvanir_list& index) {
    std::ifstream in(boost::filesystem::path(file).c_str(), std::ios::binary);
    return in && load_index_stream(in, index);
}

bool parse_count(const std::wstring& text, long& count) {
    if (text.empty() || text.size() > 9) return false;
    count = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        count = count * 10 + (c - L'0');
    }
    return count > 0;
}

int run(const std::vector<std::wstring>& args) {
    if (args.size() == 2 && args[0] == L"--pinyin") {
        write_stdout(to_utf8(to_pinyin(args[1])) + "\n");
        return 0;
    }
    long repeat = 1;
    std::size_t first = 0;
    if (!args.empty() && args[0] == L"--repeat") {
        if (args.size() != 4 || !parse_count(args[1], repeat)) {
            return fail("usage: tolvanir-query --repeat N INDEX_JSON QUERY");
        }
        first = 2;
    }
    const std::size_t rest = args.size() - first;
    if (rest < 1 || rest > 2 || args[first].rfind(L"--", 0) == 0) {
        return fail("usage: tolvanir-query [--repeat N] INDEX_JSON [QUERY] | --pinyin TEXT");
    }

    tolvanir_list index;
    if (!load(args[first], index)) return fail("cannot read index " + to_utf8(args[first]));
    const std::wstring typed = rest == 2 ? args[first + 1] : std::wstring();

    launcher_query launcher(index);
    counting_result_list list;
    std::vector<double> micros;
    for (long i = 0; i < repeat; ++i) {
        const auto start = std::chrono::steady_clock::now();
        launcher.on_query_changed(typed, list);
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        micros.push_back(took.count());
    }

    // Written in pieces, straight from the rows' packed texts where they
    // have them: a query of every item builds no wide text.
    const shown_results& rows = launcher.results();
    std::string out;
    char score[32];
    for (std::size_t k = 0; k < rows.size(); ++k) {
        std::snprintf(score, sizeof score, "%.6f", rows.score(k));
        out += score;
        out += '\t';
        if (const packed_item* item = rows.packed(k)) {
            append_utf8_of_wtf8(out, item->display_name());
            out += '\t';
            append_utf8_of_wtf8(out, item->path());
        } else {
            out += to_utf8(rows[k].shown_text) + '\t' + to_utf8(rows[k].launch_text);
        }
        out += '\n';
        if (out.size() >= 64 * 1024) {
            write_stdout(out);
            out.clear();
        }
    }
    write_stdout(out);
    if (repeat > 1) {
        std::nth_element(micros.begin(), micros.begin() + micros.size() / 2, micros.end());
        std::fprintf(stderr, "median query time: %.1f us over %ld runs, %zu rows\n",
                     micros[micros.size() / 2], repeat, launcher.results().size());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return run(command_line_arguments(argc, argv)); }
