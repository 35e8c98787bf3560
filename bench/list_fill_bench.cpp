// What a keystroke costs the window thread with a real LISTBOX, as the user
// waits for it: from the keystroke until the first screen of rows is
// painted, and until the whole list is in and painted (the rest of a long
// list goes in slices, after the input and painting that wait), with the
// query alone beside them. The items are those a scan takes from a menu of
// distinct files on disk (made once in the temporary directory). Windows
// only; prints the median of seven keystrokes per query. The keystroke is
// the line's text set at once (its EN_CHANGE runs the query), without the
// hook and the queue the launcher's keys go through.
//
//   list_fill_bench [ITEMS]    (default 10000)
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/fill_schedule.h"
#include "app/launcher_logic.h"
#include "app/win32_controls.h"
#include "sample_menu.h"

namespace {

using namespace tolvanir;
using clock_type = std::chrono::steady_clock;

constexpr UINT fill_message = WM_APP + 2;
constexpr UINT_PTR fill_timer = 1;

launcher_logic* logic = nullptr;
HWND edit = nullptr;
fill_schedule fills;  // as the launcher window schedules its slices

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lparam) == edit &&
        HIWORD(wparam) == EN_CHANGE && logic != nullptr) {
        logic->on_input_changed();
        return 0;
    }
    if (fills.arrived(message, wparam, lparam)) {
        if (logic->on_fill_slice()) fills.schedule(logic->fill_is_urgent());
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// The message loop, until the fill under way is complete.
void finish_fill() {
    MSG m;
    while (fills.scheduled() && GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
}

double since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

double median(std::vector<double> runs) {
    std::nth_element(runs.begin(), runs.begin() + runs.size() / 2, runs.end());
    return runs[runs.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::size_t items = argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : 10000;
    InitCommonControls();  // as the launcher: the list box of its manifest's common controls
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = window_procedure;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TolvanirListFillBench";
    RegisterClassW(&wc);
    HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"bench", WS_CAPTION | WS_VISIBLE, 0, 0,
                        400, 400, nullptr, nullptr, instance, nullptr);
    edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 390, 18,
                           window, nullptr, instance, nullptr);
    HWND list = CreateWindowExW(
        0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
        0, 20, 395, 350, window, nullptr, instance, nullptr);
    // The launcher's own font: the message font of the system. A font sets
    // the rows' height, so theirs comes after it, as in the launcher.
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, 24);

    tolvanir_list index;
    for (const program_item& item : bench::kept_menu(items, "list-fill").items) {
        index.insert_item(item);
    }
    win32_controls controls;
    controls.window = window;
    controls.input = edit;
    controls.list = list;
    launcher_logic shown(index, controls, [](const std::wstring&, bool, std::function<void()>) {});
    fills.bind(window, fill_message, fill_timer, 0);
    shown.set_fill_scheduler([&shown] { fills.schedule(shown.fill_is_urgent()); });
    logic = &shown;
    shown.prepare_show();  // sorts the index once
    shown.on_shown();
    launcher_query alone(index);
    counting_result_list no_list;

    std::printf("%zu items; median ms per keystroke (query + list + painting)\n", items);
    std::printf("%-16s %8s %12s %14s %14s\n", "query", "rows", "query alone", "first screen",
                "whole list");
    for (const wchar_t* text : {L"", L"e", L"v", L"vis", L"visual studio", L"jsb", L"zzzz"}) {
        std::vector<double> query_ms, first_ms, whole_ms;
        for (int run = 0; run < 7; ++run) {
            auto start = clock_type::now();
            alone.on_query_changed(text, no_list);
            query_ms.push_back(since(start));

            // Another text first, so that the keystroke changes the line.
            SetWindowTextW(edit, run % 2 ? L"x" : L"y");
            finish_fill();
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            start = clock_type::now();
            SetWindowTextW(edit, text);  // the keystroke: EN_CHANGE runs the query
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            first_ms.push_back(since(start));
            finish_fill();
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            whole_ms.push_back(since(start));
        }
        char name[64];
        std::snprintf(name, sizeof name, "'%ls'", text);
        std::printf("%-16s %8zu %12.2f %14.2f %14.2f\n", name, shown.results().size(),
                    median(query_ms), median(first_ms), median(whole_ms));
    }
    DestroyWindow(window);
    DeleteObject(font);
    return 0;
}
