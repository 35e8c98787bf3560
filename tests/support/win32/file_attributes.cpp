#include <windows.h>

#include "support/file_attributes.h"

namespace tolvanir::testing {

bool set_system_attribute(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_SYSTEM) != FALSE;
}

std::shared_ptr<void> hold_unreadable(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::shared_ptr<void>(file, [](void* handle) { CloseHandle(handle); });
}

bool create_undecodable_file(const std::wstring&) { return false; }

}  // namespace tolvanir::testing
