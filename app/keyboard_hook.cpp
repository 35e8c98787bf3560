#include <windows.h>

#include "app/app_state.h"
#include "app/hotkey_filter.h"
#include "app/virtual_keys.h"

namespace tolvanir {

HINSTANCE module_instance = nullptr;
HWND launcher_window = nullptr;
HHOOK keyboard_hook = nullptr;
bool hotkey_latched = false;

// Called for every key event of the desktop, on the main thread: it only
// decides and posts; the window does the work when the post is dispatched.
LRESULT CALLBACK hook_procedure(int code, WPARAM wparam, LPARAM lparam) {
    if (code != HC_ACTION) return CallNextHookEx(keyboard_hook, code, wparam, lparam);
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    key_event event = {};
    event.key_down = wparam == WM_KEYDOWN;
    event.vk = info->vkCode;
    if (event.key_down && event.vk == vk_r) {
        event.windows_key_held =
            (GetAsyncKeyState(VK_LWIN) & 0x8000) != 0 || (GetAsyncKeyState(VK_RWIN) & 0x8000) != 0;
    }
    event.launcher_in_front = event.key_down && GetForegroundWindow() == launcher_window;

    switch (filter_key(event, hotkey_latched)) {
        case hook_action::pass:
            return CallNextHookEx(keyboard_hook, code, wparam, lparam);
        case hook_action::swallow:
            return 1;
        case hook_action::post_show:
            PostMessageW(launcher_window, WM_LAUNCHER_SHOW, 0, 0);
            return 1;
        case hook_action::post_hide:
            PostMessageW(launcher_window, WM_LAUNCHER_HIDE, 0, 0);
            return 1;
        case hook_action::post_key:
            // The key's time lets the window first take in what was typed
            // before it (posted messages overtake queued input).
            PostMessageW(launcher_window, WM_LAUNCHER_KEY, event.vk,
                         static_cast<LPARAM>(info->time));
            return 1;
    }
    return CallNextHookEx(keyboard_hook, code, wparam, lparam);
}

}  // namespace tolvanir
