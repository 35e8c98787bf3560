#include "platform/program_directory.h"

#include <windows.h>

namespace tolvanir {

boost::filesystem::path executable_path() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    // A path that did not fit comes back truncated; it would name the wrong directory.
    if (length == 0 || length >= MAX_PATH) return boost::filesystem::path();
    return boost::filesystem::path(buffer, buffer + length);
}

}  // namespace tolvanir
