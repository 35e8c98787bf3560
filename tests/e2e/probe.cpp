// Reads the launcher window's state for the end-to-end driver, from outside
// the program, as another process on the same desktop would:
//
//   probe state        key=value lines: found, visible, foreground, rect,
//                      tool window, focus in the input line, input text,
//                      rows, selection, cursor position
//   probe close        sends WM_CLOSE, as the exit command does
//   probe row-center N the screen point in the middle of row N
//   probe endsession   sends WM_ENDSESSION(TRUE), as a log-off does
//   probe dialog       caption and texts of the message box on screen, if any
//   probe keys FILE    shows a window of its own in front and appends each key
//                      it receives to FILE ("down=VK" or "sysdown=VK", in hex),
//                      after a first line "ready"; ends when closed or after 60 s
//   probe quit         posts WM_QUIT to the launcher window's thread, as any
//                      program can
//   probe append       sends WM_USER+4 with a wParam that points nowhere
//   probe hold MS FILE...  holds the files open without sharing for MS
//                      milliseconds, after a first line "held"
//   probe stall MS     sends WM_NULL every 5 ms for MS milliseconds, after a
//                      first line "probing", and prints the longest answer
//                      ("max_ms=") and how many took over 50 ms
//   probe type TEXT    types TEXT in one SendInput call; "|" is Enter, "^" an
//                      Escape, "#" Win+R, "+" Ctrl+Shift+Enter
//   probe post-key VK  posts WM_USER+3 with VK, as any program can
//   probe plant        sets row 0's item data to junk, selects it, and posts
//                      WM_USER+3 with Enter
//   probe flood N      posts WM_USER+1 and the instance message N times each
//   probe flip N       posts WM_USER+2 then WM_USER+1, N times, 20 ms apart
//   probe hotkey VK MS registers VK as a hot key of its own for MS ms, after
//                      a first line "registered"
//   probe close-in-show  waits for the window to be shown, then sends WM_CLOSE
//   probe first-frame  after a first line "ready", sees Win+R go down (a hook
//                      of its own) and prints how many milliseconds later the
//                      window was visible, its list painted with rows (read
//                      off the screen), and its input line focused
//   probe windows      "window=TITLE" for each visible top-level window
//
// Texts are printed in UTF-8.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}

void line(const char* key, const std::string& value) { std::printf("%s=%s\n", key, value.c_str()); }
void line(const char* key, long value) { std::printf("%s=%ld\n", key, value); }

HWND child(HWND parent, const wchar_t* cls) { return FindWindowExW(parent, nullptr, cls, nullptr); }

std::wstring window_text(HWND hwnd) {
    wchar_t buffer[4096] = {};
    // WM_GETTEXT is marshalled across processes; GetWindowTextW would not ask.
    SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

int state(HWND window) {
    line("found", window != nullptr ? 1 : 0);
    if (window == nullptr) return 0;
    line("visible", IsWindowVisible(window) ? 1 : 0);
    line("foreground", GetForegroundWindow() == window ? 1 : 0);
    RECT r = {};
    GetWindowRect(window, &r);
    line("rect", std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                     std::to_string(r.right) + "," + std::to_string(r.bottom));
    const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    line("toolwindow", (ex & WS_EX_TOOLWINDOW) ? 1 : 0);
    line("topmost", (ex & WS_EX_TOPMOST) ? 1 : 0);
    line("title", utf8(window_text(window)));
    HWND edit = child(window, L"Edit");
    HWND list = child(window, L"ListBox");
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
    line("focus_input", gui.hwndFocus != nullptr && gui.hwndFocus == edit ? 1 : 0);
    line("input", utf8(window_text(edit)));
    const long rows = static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    line("rows", rows);
    const long selected = static_cast<long>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    line("selected", selected);
    wchar_t chosen[1024] = {};
    if (selected >= 0 && SendMessageW(list, LB_GETTEXTLEN, selected, 0) < 1024) {
        SendMessageW(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(chosen));
    }
    line("selected_text", utf8(chosen));
    for (long i = 0; i < rows && i < 50; ++i) {
        wchar_t buffer[1024] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024) {
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
        }
        line(("row" + std::to_string(i)).c_str(), utf8(buffer));
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    line("cursor", std::to_string(cursor.x) + "," + std::to_string(cursor.y));
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    line("workarea", std::to_string(work.left) + "," + std::to_string(work.top) + "," +
                         std::to_string(work.right) + "," + std::to_string(work.bottom));
    return 0;
}

FILE* key_log = nullptr;

LRESULT CALLBACK key_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        std::fprintf(key_log, "%s=%02X\n", message == WM_KEYDOWN ? "down" : "sysdown",
                     static_cast<unsigned>(wparam));
        std::fflush(key_log);
        return 0;
    }
    if (message == WM_TIMER && wparam == 1 && GetForegroundWindow() == hwnd) {
        KillTimer(hwnd, 1);
        std::fprintf(key_log, "ready\n");
        std::fflush(key_log);
        return 0;
    }
    if (message == WM_TIMER && wparam == 2) DestroyWindow(hwnd);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

int keys(const wchar_t* path) {
    key_log = _wfopen(path, L"ab");
    if (key_log == nullptr) return 1;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = key_window_procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TolvanirProbeKeys";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  300, 300, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(window);
    SetTimer(window, 1, 50, nullptr);
    SetTimer(window, 2, 60000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    std::fclose(key_log);
    return 0;
}

}  // namespace

BOOL CALLBACK print_static(HWND hwnd, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpiW(cls, L"Static") == 0 || lstrcmpiW(cls, L"Button") == 0) {
        const std::string text = utf8(window_text(hwnd));
        if (!text.empty()) line(lstrcmpiW(cls, L"Static") == 0 ? "text" : "button", text);
    }
    return TRUE;
}

int dialog() {
    HWND box = FindWindowW(L"#32770", nullptr);
    line("dialog", box != nullptr ? 1 : 0);
    if (box == nullptr) return 0;
    line("caption", utf8(window_text(box)));
    EnumChildWindows(box, print_static, 0);
    return 0;
}

BOOL CALLBACK print_window(HWND hwnd, LPARAM) {
    wchar_t title[512] = {};
    if (IsWindowVisible(hwnd) && GetWindowTextW(hwnd, title, 512) > 0) line("window", utf8(title));
    return TRUE;
}

int hold(int count, wchar_t** files, DWORD ms) {
    std::vector<HANDLE> handles;
    for (int i = 0; i < count; ++i) {
        handles.push_back(CreateFileW(files[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (handles.back() == INVALID_HANDLE_VALUE) return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(ms);
    for (HANDLE handle : handles) CloseHandle(handle);
    return 0;
}

// The longest wait for an answer to WM_NULL, asked every 5 ms.
int stall(HWND window, DWORD ms) {
    std::printf("probing\n");
    std::fflush(stdout);
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    double longest = 0;
    long samples = 0, over = 0;
    for (;;) {
        QueryPerformanceCounter(&now);
        if ((now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart >= ms) break;
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
        QueryPerformanceCounter(&after);
        const double took = (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
        longest = took > longest ? took : longest;
        ++samples;
        if (took > 50) ++over;
        Sleep(5);
    }
    std::printf("max_ms=%.1f\nsamples=%ld\nover_50ms=%ld\n", longest, samples, over);
    return 0;
}

void add_key(std::vector<INPUT>& inputs, WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
}

// Every event carries the same time, as those of one SendInput call do on
// Windows, whose clock moves in steps of about 15.6 ms.
int type_at_once(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (const wchar_t c : text) {
        if (c == L'#' || c == L'+') {
            const WORD held[2] = {static_cast<WORD>(c == L'#' ? VK_LWIN : VK_CONTROL),
                                  static_cast<WORD>(c == L'#' ? 0 : VK_SHIFT)};
            const WORD key = c == L'#' ? 'R' : VK_RETURN;
            for (const WORD vk : held) {
                if (vk != 0) add_key(inputs, vk, false);
            }
            add_key(inputs, key, false);
            add_key(inputs, key, true);
            for (const WORD vk : held) {
                if (vk != 0) add_key(inputs, vk, true);
            }
            continue;
        }
        const WORD vk = c == L'|' ? VK_RETURN : c == L'^' ? VK_ESCAPE : LOBYTE(VkKeyScanW(c));
        add_key(inputs, vk, false);
        add_key(inputs, vk, true);
    }
    const DWORD now = GetTickCount();
    for (INPUT& input : inputs) input.ki.time = now;
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size() ? 0 : 1;
}

LARGE_INTEGER win_r_down = {};

LRESULT CALLBACK see_win_r(int code, WPARAM wparam, LPARAM lparam) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    if (code == HC_ACTION && wparam == WM_KEYDOWN && key->vkCode == 'R' &&
        win_r_down.QuadPart == 0 && (GetAsyncKeyState(VK_LWIN) & 0x8000)) {
        QueryPerformanceCounter(&win_r_down);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Whether the screen shows anything but the list's background in its first row.
bool first_row_painted(HWND list) {
    RECT r = {};
    GetWindowRect(list, &r);
    const int width = 200, height = 20;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left + 2, r.top + 2, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD background = GetSysColor(COLOR_WINDOW);
    const DWORD back =
        (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
    for (const DWORD p : pixels) {
        if ((p & 0xFFFFFF) != back) return true;
    }
    return false;
}

int first_frame(HWND window) {
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, see_win_r, GetModuleHandleW(nullptr), 0);
    std::printf("ready\n");
    std::fflush(stdout);
    HWND list = child(window, L"ListBox");
    HWND edit = child(window, L"Edit");
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    double visible = -1, painted = -1, focused = -1;
    const DWORD give_up = GetTickCount() + 20000;
    while (focused < 0 && GetTickCount() < give_up) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (win_r_down.QuadPart == 0) {
            Sleep(1);
            continue;
        }
        QueryPerformanceCounter(&now);
        const double ms = (now.QuadPart - win_r_down.QuadPart) * 1000.0 / frequency.QuadPart;
        if (visible < 0 && IsWindowVisible(window)) visible = ms;
        if (visible >= 0 && painted < 0 && first_row_painted(list)) painted = ms;
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
        if (painted >= 0 && gui.hwndFocus == edit) focused = ms;
        Sleep(1);
    }
    UnhookWindowsHookEx(hook);
    std::printf("visible_ms=%.1f\nrows_painted_ms=%.1f\nfocused_with_rows_ms=%.1f\n", visible,
                painted, focused);
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    HWND window = FindWindowW(L"Tolvanir", nullptr);
    const std::wstring command = argc > 1 ? argv[1] : L"state";
    if (command == L"hold" && argc > 3) return hold(argc - 3, argv + 3, _wtoi(argv[2]));
    if (command == L"state") return state(window);
    if (command == L"dialog") return dialog();
    if (command == L"keys" && argc > 2) return keys(argv[2]);
    if (command == L"type" && argc > 2) return type_at_once(argv[2]);
    if (command == L"hotkey" && argc > 3) {
        if (!RegisterHotKey(nullptr, 1, MOD_NOREPEAT, static_cast<UINT>(_wtoi(argv[2])))) return 1;
        std::printf("registered\n");
        std::fflush(stdout);
        const DWORD until = GetTickCount() + static_cast<DWORD>(_wtoi(argv[3]));
        while (GetTickCount() < until) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(5);
        }
        return 0;
    }
    if (command == L"windows") return EnumWindows(print_window, 0) ? 0 : 1;
    if (window == nullptr) return 1;
    if (command == L"stall" && argc > 2) return stall(window, static_cast<DWORD>(_wtoi(argv[2])));
    if (command == L"post-key" && argc > 2) {
        return PostMessageW(window, WM_USER + 3, static_cast<WPARAM>(_wtoi(argv[2])), 0) ? 0 : 1;
    }
    if (command == L"plant") {
        HWND list = child(window, L"ListBox");
        SendMessageW(list, LB_SETITEMDATA, 0, static_cast<LPARAM>(0x0000DEAD0000BEEFll));
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        return PostMessageW(window, WM_USER + 3, VK_RETURN, 0) ? 0 : 1;
    }
    if (command == L"flood" && argc > 2) {
        const UINT instance = RegisterWindowMessageW(L"{5D0F7A12-3B9E-4C61-8A2D-E47B19C03F58}");
        for (int i = 0, n = _wtoi(argv[2]); i < n; ++i) {
            PostMessageW(window, WM_USER + 1, 0, 0);
            PostMessageW(window, instance, 3, 0);
        }
        return 0;
    }
    if (command == L"first-frame") return first_frame(window);
    if (command == L"flip" && argc > 2) {
        for (int i = 0, n = _wtoi(argv[2]); i < n; ++i) {
            PostMessageW(window, WM_USER + 2, 0, 0);
            PostMessageW(window, WM_USER + 1, 0, 0);
            Sleep(20);
        }
        return 0;
    }
    if (command == L"close-in-show") {
        for (int i = 0; i < 20000 && !IsWindowVisible(window); ++i) Sleep(1);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &ignored);
        return 0;
    }
    if (command == L"close") {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &ignored);
        return 0;
    }
    if (command == L"append") {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_USER + 4, 0x10, 0, SMTO_NORMAL, 10000, &ignored);
        return 0;
    }
    if (command == L"quit") {
        return PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0) ? 0 : 1;
    }
    if (command == L"endsession") {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &ignored);
        return 0;
    }
    if (command == L"row-center" && argc > 2) {
        HWND list = child(window, L"ListBox");
        RECT r = {};
        if (SendMessageW(list, LB_GETITEMRECT, _wtoi(argv[2]), reinterpret_cast<LPARAM>(&r)) ==
            LB_ERR) {
            return 1;
        }
        POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(list, &p);
        std::printf("%ld,%ld\n", p.x, p.y);
        return 0;
    }
    return 2;
}
