// The window thread's work per keystroke with a real LISTBOX: the query and
// the refill of the result list, with and without repainting turned off
// around the refill. Windows only; prints the median per query.
//
//   list_fill_bench [ITEMS]    (default 10000)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/win32_controls.h"
#include "sample_index.h"
#include "search/launcher_query.h"

namespace {

using namespace tolvanir;

// The refill without ever turning repainting off.
class painting_controls : public win32_controls {
  public:
    void begin_fill(std::size_t) override {}
    void end_fill() override {}
};

double median_ms(launcher_query& query, result_list& controls, HWND window,
                 const std::wstring& text) {
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) {
        const auto start = std::chrono::steady_clock::now();
        query.on_query_changed(text, controls);
        // Repaints are part of the keystroke's cost.
        UpdateWindow(window);
        runs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(runs.begin(), runs.begin() + runs.size() / 2, runs.end());
    return runs[runs.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::size_t items = argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : 10000;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"bench", WS_CAPTION | WS_VISIBLE, 0,
                                  0, 400, 400, nullptr, nullptr, instance, nullptr);
    HWND input = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 390,
                                 18, window, nullptr, instance, nullptr);
    HWND list = CreateWindowExW(
        0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
        0, 20, 395, 350, window, nullptr, instance, nullptr);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, 24);

    tolvanir_list index;
    bench::fill_sample_index(index, items);
    launcher_query query(index);
    win32_controls quiet;
    painting_controls painting;
    for (win32_controls* c :
         {static_cast<win32_controls*>(&quiet), static_cast<win32_controls*>(&painting)}) {
        c->window = window;
        c->input = input;
        c->list = list;
    }
    query.on_query_changed(L"", quiet);  // sorts the index once

    counting_result_list no_list;
    std::printf("%zu items; median ms per keystroke (query + list refill + repaint)\n", items);
    std::printf("%-16s %8s %12s %12s %12s\n", "query", "rows", "query alone", "the window",
                "redrawing");
    for (const wchar_t* text : {L"", L"v", L"vis", L"visual studio", L"jsb", L"zzzz"}) {
        const double alone = median_ms(query, no_list, window, text);
        const double off = median_ms(query, quiet, window, text);
        const std::size_t rows = query.results().size();
        char name[64];
        std::snprintf(name, sizeof name, "'%ls'", text);
        // Repainting row by row takes seconds for long lists; those are skipped.
        if (rows > 500) {
            std::printf("%-16s %8zu %12.2f %12.2f %12s\n", name, rows, alone, off, "(skipped)");
            continue;
        }
        const double on = median_ms(query, painting, window, text);
        std::printf("%-16s %8zu %12.2f %12.2f %12.2f\n", name, rows, alone, off, on);
    }
    DestroyWindow(window);
    return 0;
}
