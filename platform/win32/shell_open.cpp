#include <windows.h>

#include <shellapi.h>

#include "platform/shell_open.h"

namespace tolvanir {

bool shell_open(const std::wstring& text, bool elevated) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // Called on a thread that ends soon after and runs no message loop: the
    // shell must finish its work (a DDE conversation, an extension) first.
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = elevated ? L"runas" : nullptr;
    info.lpFile = text.c_str();
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) != FALSE;
}

}  // namespace tolvanir
