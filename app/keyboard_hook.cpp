#include <windows.h>

#include <random>

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

// Called for every key event of the desktop, on the main thread: it only
// decides and posts; the window does the work when the post is dispatched.
LRESULT CALLBACK hook_procedure(int code, WPARAM wparam, LPARAM lparam) {
    if (code != HC_ACTION) return CallNextHookEx(keyboard_hook, code, wparam, lparam);
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
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
            PostMessageW(launcher_window, WM_LAUNCHER_SHOW, 0,
                         static_cast<LPARAM>(typed_keys.own_tag()));
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

LRESULT CALLBACK taken_input_procedure(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && is_key_input(message->message)) {
        typed_keys.took(static_cast<unsigned>(message->wParam), is_key_up(message->message));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace tolvanir
