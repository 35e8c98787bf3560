// Process-wide state of the window side, main thread only.
#pragma once

#include <windows.h>

#include "app/key_order.h"

namespace tolvanir {

extern HINSTANCE module_instance;
extern HWND launcher_window;
extern HHOOK keyboard_hook;
extern bool hotkey_latched;
// The events the hook passed on to this thread's windows, and the keys it posted.
extern key_order typed_keys;
// The path the folder picker is handing to the window, only while it does:
// WM_LAUNCHER_APPEND can be sent by any program, with any wParam.
extern const wchar_t* appending_path;

constexpr UINT WM_LAUNCHER_SHOW = WM_USER + 1;
constexpr UINT WM_LAUNCHER_HIDE = WM_USER + 2;
constexpr UINT WM_LAUNCHER_KEY = WM_USER + 3;
constexpr UINT WM_LAUNCHER_APPEND = WM_USER + 4;
// A launch handed to the shell has ended (no arguments; the window asks).
constexpr UINT WM_LAUNCHER_LAUNCHED = WM_APP + 1;
// The next slice of a long result list is due.
constexpr UINT WM_LAUNCHER_FILL = WM_APP + 2;

// The name of the instance mutex and of the message that wakes a running copy.
constexpr const wchar_t* instance_name = L"{5D0F7A12-3B9E-4C61-8A2D-E47B19C03F58}";

LRESULT CALLBACK hook_procedure(int code, WPARAM wparam, LPARAM lparam);
// A hook on this thread's own queue: counts the keyboard input taken from it,
// by any message loop of the thread, modal ones included.
LRESULT CALLBACK taken_input_procedure(int code, WPARAM wparam, LPARAM lparam);

}  // namespace tolvanir
