#include <windows.h>

#include <random>
#include <vector>

#include "app/app_state.h"
#include "app/hotkey_filter.h"
#include "app/virtual_keys.h"

namespace tolvanir {

namespace {

std::uint64_t random_nonce() {
    std::random_device source;
    return static_cast<std::uint64_t>(source()) ^ GetCurrentProcessId();
}

bool held(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

bool is_key_up(UINT message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }

bool is_key_input(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

}  // namespace

HINSTANCE module_instance = nullptr;
HWND launcher_window = nullptr;
HHOOK keyboard_hook = nullptr;
bool hotkey_latched = false;
key_order typed_keys(random_nonce());
held_keys typed_early;

// Called for every key event of the desktop, on the main thread: it only
// decides and posts; the window does the work when the post is dispatched.
LRESULT CALLBACK hook_procedure(int code, WPARAM wparam, LPARAM lparam) {
    if (code != HC_ACTION) return CallNextHookEx(keyboard_hook, code, wparam, lparam);
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    const bool typed_again = (info->flags & LLKHF_INJECTED) != 0 &&
                             info->dwExtraInfo == static_cast<ULONG_PTR>(typed_keys.own_tag());
    if (typed_again && typed_early.came_back()) {
        PostMessageW(launcher_window, WM_LAUNCHER_RETYPE, 0,
                     static_cast<LPARAM>(typed_keys.own_tag()));
    }
    // Held before anything else, Enter included: it must not overtake the
    // letters typed before it. Windows-key combinations go on as they are.
    if (!typed_again && typed_early.holding() && (wparam == WM_KEYDOWN || wparam == WM_KEYUP) &&
        info->vkCode != VK_LWIN && info->vkCode != VK_RWIN && !held(VK_LWIN) && !held(VK_RWIN)) {
        held_key key;
        key.vk = info->vkCode;
        key.scan = info->scanCode;
        key.extended = (info->flags & LLKHF_EXTENDED) != 0;
        key.up = wparam == WM_KEYUP;
        if (typed_early.hold(key, GetTickCount64())) {
            if (key.up) hotkey_latched = false;
            return 1;
        }
    }
    const HWND foreground = GetForegroundWindow();
    key_event event = {};
    event.key_down = wparam == WM_KEYDOWN;
    event.vk = info->vkCode;
    if (event.key_down && event.vk == vk_r) {
        event.windows_key_held = held(VK_LWIN) || held(VK_RWIN);
    }
    event.launcher_in_front = event.key_down && foreground == launcher_window;

    switch (filter_key(event, hotkey_latched)) {
        case hook_action::pass:
            break;
        case hook_action::swallow:
            return 1;
        case hook_action::post_show:
            if (PostMessageW(launcher_window, WM_LAUNCHER_SHOW, 0,
                             static_cast<LPARAM>(typed_keys.own_tag()))) {
                typed_early.start(GetTickCount64());
            }
            return 1;
        case hook_action::post_hide:
            PostMessageW(launcher_window, WM_LAUNCHER_HIDE, 0,
                         static_cast<LPARAM>(typed_keys.own_tag()));
            return 1;
        case hook_action::post_key: {
            // The modifiers as they are now: the key may wait behind others.
            const key_order::posted_key key =
                typed_keys.post(event.vk, held(VK_CONTROL), held(VK_SHIFT));
            if (!PostMessageW(launcher_window, WM_LAUNCHER_KEY, event.vk,
                              static_cast<LPARAM>(key.tag))) {
                typed_keys.withdraw(key);
            }
            return 1;
        }
    }
    const LRESULT next = CallNextHookEx(keyboard_hook, code, wparam, lparam);
    // What goes on to a window of this thread arrives in its queue, unless
    // another hook swallowed it, or the system keeps it as a program's hot key.
    if (next == 0 && foreground != nullptr &&
        GetWindowThreadProcessId(foreground, nullptr) == GetCurrentThreadId()) {
        typed_keys.passed(info->vkCode, (info->flags & LLKHF_UP) != 0);
    }
    return next;
}

void retype_held_keys() {
    const std::vector<held_key> keys = typed_early.release();
    if (keys.empty()) return;
    std::vector<INPUT> inputs(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        KEYBDINPUT& key = inputs[k].ki;
        inputs[k].type = INPUT_KEYBOARD;
        key.wVk = static_cast<WORD>(keys[k].vk);
        key.wScan = static_cast<WORD>(keys[k].scan);
        key.dwFlags =
            (keys[k].up ? KEYEVENTF_KEYUP : 0) | (keys[k].extended ? KEYEVENTF_EXTENDEDKEY : 0);
        // The hook knows its own keys by this, and holds them no longer.
        key.dwExtraInfo = static_cast<ULONG_PTR>(typed_keys.own_tag());
    }
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent < keys.size()) typed_early.not_sent(keys.size() - sent);
}

LRESULT CALLBACK taken_input_procedure(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && is_key_input(message->message)) {
        typed_keys.took(static_cast<unsigned>(message->wParam), is_key_up(message->message));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace tolvanir
