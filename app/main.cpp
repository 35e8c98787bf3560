// Start-up and exit: one copy per logon, a hidden launcher window, the
// message loop, and the settings written back at the end.
#include <windows.h>

#include <commctrl.h>

#include "app/app_state.h"
#include "app/tolvanir_ui.h"
#include "config/language.h"
#include "config/settings.h"
#include "platform/message_box.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace tolvanir;
    load_language_table();

    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        return message_box(text(L"platform_error"), message_box_icon_warning | message_box_ok);
    }

    const UINT instance_message = RegisterWindowMessageW(instance_name);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, instance_name);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        PostMessageW(HWND_BROADCAST, instance_message, 3, 0);
        CloseHandle(mutex);
        return 0;
    }

    InitCommonControls();
    load_settings();
    module_instance = instance;

    int exit_code = 0;
    {
        TolvanirUI ui;
        const HWND window = ui.create_launcher(instance);
        if (window == nullptr) return 0;
        MSG message;
        for (;;) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == -1) continue;
            if (got == 0) {
                exit_code = static_cast<int>(message.wParam);
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // A quit posted from outside ends the loop with the window still up:
        // its destruction stops the scanners and writes the index, as "exit" does.
        if (IsWindow(window)) DestroyWindow(window);
        (void)save_settings();
    }
    return exit_code;
}
