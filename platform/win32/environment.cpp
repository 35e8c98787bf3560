#include "platform/environment.h"

#include <windows.h>

namespace tolvanir {

std::wstring expand_environment(const std::wstring& text) {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD needed = ExpandEnvironmentStringsW(text.c_str(), &buffer[0], MAX_PATH);
    if (needed > MAX_PATH) {
        buffer.assign(needed, L'\0');
        needed = ExpandEnvironmentStringsW(text.c_str(), &buffer[0], needed);
    }
    if (needed == 0) return std::wstring();
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return buffer;
}

}  // namespace tolvanir
