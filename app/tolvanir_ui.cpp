#include "app/tolvanir_ui.h"

#include <functional>
#include <system_error>
#include <thread>

#include "app/app_state.h"
#include "app/commands.h"
#include "config/language.h"
#include "config/program_files.h"
#include "config/scan_directories.h"
#include "config/settings.h"
#include "index/directory_scan.h"
#include "index/index_file.h"

namespace tolvanir {

namespace {

constexpr UINT_PTR refresh_timer = 0;
constexpr UINT_PTR fill_timer = 1;
constexpr UINT refresh_interval_ms = 200;
constexpr int list_item_height = 24;
// How long the exit waits for launches the shell has not answered yet.
constexpr DWORD launch_wait_at_exit_ms = 5000;
constexpr ULONGLONG outside_show_interval_ms = 1000;

bool is_character(UINT message) {
    return message == WM_CHAR || message == WM_DEADCHAR || message == WM_SYSCHAR ||
           message == WM_SYSDEADCHAR || message == WM_UNICHAR;
}

// Runs the work on a thread of its own and waits for it, answering meanwhile
// what is sent to this thread (the keyboard hook's calls among it), so that
// the desktop's keyboard does not wait with us. `done` is set when it ends.
void run_answering(const std::function<void()>& work, HANDLE done) {
    std::thread worker;
    try {
        worker = std::thread([&] {
            work();
            SetEvent(done);
        });
    } catch (const std::system_error&) {
        work();
        SetEvent(done);
        return;
    }
    while (MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_SENDMESSAGE, 0) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    worker.join();
}

}  // namespace

TolvanirUI::TolvanirUI()
    : logic_(index_, controls_,
             [this](const std::wstring& text, bool elevated, std::function<void()> accepted) {
                 launches_.start(text, elevated, std::move(accepted));
             }) {
    logic_.set_fill_scheduler([this] { fills_.schedule(logic_.fill_is_urgent()); });
    const label_fn label = [](const std::wstring& key) { return text(key); };
    logic_.set_commands(
        [label](const std::wstring& query, shown_results& results) {
            command_search(command_table(), launcher_window, label, query, results);
        },
        [](bool from_list, const std::wstring& key) {
            run_command(command_table(), launcher_window, from_list, key);
        });
}

TolvanirUI::~TolvanirUI() {
    // The threads use the index, which goes with this object.
    stop_scanners();
    if (message_font_ != nullptr) DeleteObject(message_font_);
}

HWND TolvanirUI::create_launcher(HINSTANCE instance) {
    const RECT rect = {0, 0, 400, 400};
    return create(L"Tolvanir", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, text(L"title").c_str(),
                  WS_CAPTION, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_COMPOSITED, rect, instance);
}

bool TolvanirUI::process_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_CREATE:
            result = on_create();
            return true;
        case WM_TIMER:
            if (wparam == refresh_timer) {
                logic_.on_timer();
                take_late_settings();
            } else if (fills_.arrived(message, wparam, lparam)) {
                fill_slice();
            }
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) hide_launcher();
            return true;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lparam) == input_line_ && HIWORD(wparam) == EN_CHANGE) {
                logic_.on_input_changed();
            } else if (reinterpret_cast<HWND>(lparam) == result_list_ &&
                       HIWORD(wparam) == LBN_SELCHANGE) {
                logic_.on_selection_changed();
            } else if (reinterpret_cast<HWND>(lparam) == result_list_ &&
                       HIWORD(wparam) == LBN_SETFOCUS) {
                logic_.on_list_focus();
            }
            return true;
        case WM_NCLBUTTONDOWN:
            result = 1;  // the window cannot be dragged
            return true;
        case WM_SYSCOMMAND:
            // Alt+F4 would end the program, and with it Win+R until the next
            // logon: it hides the window instead. WM_CLOSE itself still ends it.
            if ((wparam & 0xFFF0) != SC_CLOSE) return false;
            hide_launcher();
            return true;
        case WM_LAUNCHER_LAUNCHED:
            launches_.collect();
            return true;
        case WM_LAUNCHER_FILL:
            if (fills_.arrived(message, wparam, lparam)) fill_slice();
            return true;
        case WM_DESTROY:
            result = on_destroy();
            return true;
        case WM_ENDSESSION:
            if (wparam != FALSE) on_end_session();
            return true;
        case WM_LAUNCHER_SHOW:
            result = show_launcher(static_cast<std::uint64_t>(lparam) == typed_keys.own_tag());
            return true;
        case WM_LAUNCHER_HIDE:
            // Only the hook's: another program's hides between its shows would
            // cost a pause and a click each.
            if (static_cast<std::uint64_t>(lparam) == typed_keys.own_tag()) hide_launcher();
            return true;
        case WM_LAUNCHER_KEY:
            result = on_key(wparam, lparam);
            return true;
        case WM_LAUNCHER_APPEND:
            result = add_scan_directory(reinterpret_cast<const wchar_t*>(wparam));
            return true;
        default:
            if (instance_message_ != 0 && message == instance_message_) {
                result = show_launcher(false);
                return true;
            }
            return false;
    }
}

LRESULT TolvanirUI::on_create() {
    launcher_window = handle();
    instance_message_ = RegisterWindowMessageW(instance_name);
    if (index_file_.load(index_) == file_read::unreadable) start_index_retry();
    for (const scanner_directory& directory : default_scan_directories()) start_scanner(directory);
    // Creates "scan_directory" when missing, so it is written at exit.
    for (const scanner_directory& directory : read_scan_directories(settings())) {
        start_scanner(directory);
    }

    create_message_font();
    center_on_work_area();
    RECT rect = {};
    GetWindowRect(handle(), &rect);
    SetWindowPos(handle(), nullptr, rect.left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    input_line_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0,
                                  390, 18, handle(), nullptr, module_instance, nullptr);
    SendMessageW(input_line_, WM_SETFONT, reinterpret_cast<WPARAM>(message_font_), TRUE);
    result_list_ = CreateWindowExW(
        0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
        0, 20, 395, 350, handle(), nullptr, module_instance, nullptr);
    SendMessageW(result_list_, WM_SETFONT, reinterpret_cast<WPARAM>(message_font_), TRUE);
    SendMessageW(result_list_, LB_SETITEMHEIGHT, 0, list_item_height);
    controls_.window = handle();
    controls_.input = input_line_;
    controls_.list = result_list_;

    launches_.bind(handle(), WM_LAUNCHER_LAUNCHED);
    fills_.bind(handle(), WM_LAUNCHER_FILL, fill_timer, static_cast<LPARAM>(typed_keys.own_tag()));
    taken_input_hook_ =
        SetWindowsHookExW(WH_GETMESSAGE, &taken_input_procedure, nullptr, GetCurrentThreadId());
    keyboard_hook = SetWindowsHookExW(WH_KEYBOARD_LL, &hook_procedure, module_instance, 0);
    SetTimer(handle(), refresh_timer, refresh_interval_ms, nullptr);
    if (take_first_run(settings())) show_welcome_balloon();
    return 0;
}

// One greeting on the first start: the balloon of an icon that is removed
// again at once, so no icon stays in the notification area.
void TolvanirUI::show_welcome_balloon() {
    notify_data_ = NOTIFYICONDATAW{};
    notify_data_.cbSize = sizeof notify_data_;
    notify_data_.hWnd = handle();
    notify_data_.uID = 100;
    notify_data_.dwInfoFlags = NIIF_INFO;
    notify_data_.uFlags = NIF_ICON | NIF_TIP | NIF_INFO;
    notify_data_.hIcon = LoadIconW(module_instance, L"APPICON");
    // Texts from a language file may be longer than the fields: cut to fit.
    lstrcpynW(notify_data_.szInfoTitle, text(L"tray_title").c_str(),
              ARRAYSIZE(notify_data_.szInfoTitle));
    lstrcpynW(notify_data_.szInfo, text(L"tray_info").c_str(), ARRAYSIZE(notify_data_.szInfo));
    lstrcpynW(notify_data_.szTip, text(L"name").c_str(), ARRAYSIZE(notify_data_.szTip));
    Shell_NotifyIconW(NIM_ADD, &notify_data_);
    Shell_NotifyIconW(NIM_DELETE, &notify_data_);
}

LRESULT TolvanirUI::add_scan_directory(const wchar_t* path) {
    // Anything but the picker's own buffer is no path of ours to read.
    if (path == nullptr || path != appending_path) return 0;
    const std::wstring picked(path, wcsnlen(path, MAX_PATH));
    if (const auto directory =
            tolvanir::add_scan_directory(settings(), picked, program_directory().wstring())) {
        start_scanner(*directory);
    }
    return 0;
}

LRESULT TolvanirUI::on_destroy() {
    if (keyboard_hook != nullptr) {
        UnhookWindowsHookEx(keyboard_hook);
        keyboard_hook = nullptr;
    }
    if (taken_input_hook_ != nullptr) {
        UnhookWindowsHookEx(taken_input_hook_);
        taken_input_hook_ = nullptr;
    }
    // The hook is gone: waiting no longer holds anybody's keyboard.
    wait_for_background_save();
    launches_.finish(launch_wait_at_exit_ms);
    stop_scanners();
    save_index_file();
    PostQuitMessage(0);
    return 0;
}

// The session ends without the window being destroyed: write what the exit
// would write, before the process is ended. Should the process live on, it
// goes on as before (scanners and watchers run; the exit writes again).
// Formatting and flushing a large index takes long, so it is written off
// this thread, which answers the hook meanwhile.
void TolvanirUI::on_end_session() {
    if (background_save_done_ != nullptr) return;  // already saving
    launches_.collect();                           // uses the shell has accepted
    background_save_done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (background_save_done_ == nullptr) {
        save_index_file();
    } else {
        HANDLE done = background_save_done_;
        run_answering([this] { save_index_file(); }, done);
        // A close answered meanwhile may have waited for this save already.
        CloseHandle(done);
        if (background_save_done_ == done) background_save_done_ = nullptr;
    }
    // The settings tree is the window thread's: small, written here, with
    // one try at a file still held (the start's tries would keep the hook
    // waiting a second); the exit tries again.
    (void)save_settings(one_read_attempt);
}

// A close sent while a session end saves is answered in the middle of it.
void TolvanirUI::wait_for_background_save() {
    if (background_save_done_ != nullptr) WaitForSingleObject(background_save_done_, INFINITE);
}

void TolvanirUI::save_index_file() { (void)index_file_.save(index_); }

// Index.json was held by another program at start: read and merged later, on
// a thread of the scanners' group (it is large; this thread runs the hook).
void TolvanirUI::start_index_retry() {
    try {
        scanners_.add_thread(new boost::thread([this] { index_file_.retry(index_, stop_); }));
    } catch (const boost::thread_resource_error&) {
        // No thread: the exit tries once more before it writes.
    }
}

// Settings.json was held at start and has been read now: its directories
// are scanned, and a welcome it still owes is shown.
void TolvanirUI::take_late_settings() {
    const auto late = retry_settings();
    if (!late) return;
    for (const scanner_directory& directory : late->to_scan) start_scanner(directory);
    if (late->welcome) show_welcome_balloon();
}

void TolvanirUI::start_scanner(const scanner_directory& directory) {
    try {
        scanners_.add_thread(new boost::thread(&TolvanirUI::scanner_main, this, directory));
    } catch (const boost::thread_resource_error&) {
        // No thread for this directory: it is simply not scanned this run.
    }
}

void TolvanirUI::scanner_main(const scanner_directory& directory) {
    tolvanir::scanner_main(index_, directory, stop_, program_directory().wstring());
}

void TolvanirUI::stop_scanners() {
    if (scanners_stopped_) return;
    stop_.set();
    scanners_.join_all();
    scanners_stopped_ = true;
}

LRESULT TolvanirUI::on_key(WPARAM vk, LPARAM tag) {
    // Any program can post this message; only what the hook posted counts.
    const auto key = typed_keys.claim(static_cast<unsigned>(vk), static_cast<std::uint64_t>(tag));
    if (!key) return 1;
    take_input_typed_before(*key);
    if (handle() == nullptr) return 1;  // closed meanwhile
    logic_.on_key(key->vk, key->control, key->shift);
    return 1;
}

// Input typed before the key goes to the input line first; input typed after
// it stays queued (key_order.h says why and how).
void TolvanirUI::take_input_typed_before(const key_order::posted_key& key) {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) break;  // left for the main loop
        // Characters are posted by TranslateMessage for keys already taken.
        if (!is_character(message.message) &&
            !typed_keys.typed_before(
                key, static_cast<unsigned>(message.wParam),
                message.message == WM_KEYUP || message.message == WM_SYSKEYUP)) {
            break;
        }
        if (!PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) break;
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    typed_keys.settled(key);
}

void TolvanirUI::hide_launcher() { logic_.hide_launcher(); }

void TolvanirUI::fill_slice() {
    if (logic_.on_fill_slice()) fills_.schedule(logic_.fill_is_urgent());
}

LRESULT TolvanirUI::show_launcher(bool from_hook) {
    // Already up and taking input: a flood of show requests costs nothing,
    // neither a pause nor a click each.
    if (logic_.accepting_input() && GetForegroundWindow() == handle()) {
        logic_.on_timer();
        return 0;
    }
    // Requests from other programs (a second start among them) bring the
    // window up at most once a second, however they alternate with hides.
    if (!from_hook) {
        const ULONGLONG now = GetTickCount64();
        if (now - last_outside_show_ < outside_show_interval_ms) return 0;
        last_outside_show_ = now;
    }
    typed_keys.sync();
    logic_.prepare_show();
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    // Painted now, with the rows listed before the show, not after the pause.
    RedrawWindow(handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(100);
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT rect = {};
    GetWindowRect(handle(), &rect);
    SetCursorPos(rect.left + 10, rect.top + 10);
    // A click on our own caption counts as user input, so the window becomes
    // the foreground window even where SetForegroundWindow was refused.
    INPUT click = {};
    click.type = INPUT_MOUSE;
    click.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &click, sizeof(INPUT));
    click.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &click, sizeof(INPUT));
    const bool still_here = take_own_click();
    SetCursorPos(cursor.x, cursor.y);
    if (still_here) logic_.on_shown();
    return 0;
}

// The click is handled (and swallowed) here, before the cursor goes back and
// the input line takes the focus: handled later, it could land after them and
// undo both. False when the window was closed meanwhile, or the program is
// to quit: the quit is posted again for the main loop.
bool TolvanirUI::take_own_click() {
    MSG message;
    while (PeekMessageW(&message, handle(), WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE) ||
           PeekMessageW(&message, handle(), WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        DispatchMessageW(&message);
    }
    return handle() != nullptr;
}

void TolvanirUI::create_message_font() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    message_font_ = CreateFontIndirectW(&metrics.lfMessageFont);
}

void TolvanirUI::center_on_work_area() {
    RECT rect = {};
    GetWindowRect(handle(), &rect);
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    HMONITOR monitor = MonitorFromWindow(handle(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) return;
    const RECT& work = info.rcWork;
    LONG x = (work.left + work.right) / 2 - width / 2;
    LONG y = (work.top + work.bottom) / 2 - height / 2;
    if (x + width > work.right) x = work.right - width;
    if (x < work.left) x = work.left;
    if (y + height > work.bottom) y = work.bottom - height;
    if (y < work.top) y = work.top;
    SetWindowPos(handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tolvanir
