#include <windows.h>

#include <shellapi.h>

#include "platform/shell_open.h"

namespace tolvanir {

bool shell_open(const std::wstring& text, bool elevated) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.lpVerb = elevated ? L"runas" : nullptr;
    info.lpFile = text.c_str();
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) != FALSE;
}

}  // namespace tolvanir
