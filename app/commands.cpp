#include "app/commands.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "app/app_state.h"
#include "config/autorun.h"
#include "config/language.h"
#include "platform/message_box.h"

namespace tolvanir {

namespace {

HWND as_window(window_ref window) { return static_cast<HWND>(window); }

bool pick_with_dialog(wchar_t (&buffer)[MAX_PATH], bool& created) {
    IFileOpenDialog* dialog = nullptr;
    created = SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_ALL,
                                         IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog)));
    if (!created) return false;
    bool picked = false;
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options))) dialog->SetOptions(options | FOS_PICKFOLDERS);
    dialog->SetTitle(L"");
    if (SUCCEEDED(dialog->Show(nullptr))) {
        IShellItem* item = nullptr;
        if (SUCCEEDED(dialog->GetResult(&item))) {
            wchar_t* path = nullptr;
            if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                // A path that does not fit is refused rather than cut short.
                if (lstrlenW(path) < MAX_PATH) {
                    lstrcpynW(buffer, path, MAX_PATH);
                    picked = true;
                }
                CoTaskMemFree(path);
            }
            item->Release();
        }
    }
    dialog->Release();
    return picked;
}

bool pick_with_browser(wchar_t (&buffer)[MAX_PATH]) {
    BROWSEINFOW info = {};
    info.lpszTitle = L"";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
    if (list == nullptr) return false;
    const bool picked = SHGetPathFromIDListW(list, buffer) != FALSE;
    CoTaskMemFree(list);
    return picked;
}

}  // namespace

const wchar_t* appending_path = nullptr;

const std::vector<command>& command_table() {
    static const std::vector<command> table = {
        {L"about", &show_about, {}},
        {L"exit", &request_exit, {}},
        {L"append", &append_directory, {}},
        {L"autorun_enable", [](window_ref) { toggle_autorun(); },
         [](window_ref) { return is_autorun_disabled(); }},
        {L"autorun_disable", [](window_ref) { toggle_autorun(); },
         [](window_ref) { return is_autorun_enabled(); }},
    };
    return table;
}

void show_about(window_ref) { (void)message_box(text(L"about_info"), message_box_ok); }

void request_exit(window_ref window) { SendMessageW(as_window(window), WM_CLOSE, 0, 0); }

void append_directory(window_ref window) {
    wchar_t buffer[MAX_PATH] = {};
    if (pick_folder(buffer)) {
        appending_path = buffer;
        SendMessageW(as_window(window), WM_LAUNCHER_APPEND, reinterpret_cast<WPARAM>(buffer), 0);
        appending_path = nullptr;
    }
}

bool pick_folder(wchar_t (&buffer)[MAX_PATH]) {
    // The dialogs are COM objects; the window thread has no apartment of its
    // own, so one is entered for the pick.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    bool created = false;
    bool picked = pick_with_dialog(buffer, created);
    if (!created) picked = pick_with_browser(buffer);
    if (SUCCEEDED(com)) CoUninitialize();
    return picked;
}

}  // namespace tolvanir
