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

std::shared_ptr<void> grow_unreadable(const std::wstring& path) {
    // Shared in every way, so the program under test can still link, move
    // and replace the file's names.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size = {};
    LARGE_INTEGER beyond = {};
    beyond.QuadPart = (LONGLONG{256} << 20) + 1;
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, beyond, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(file)) {
        CloseHandle(file);
        return nullptr;
    }
    return std::shared_ptr<void>(file, [size](void* handle) {
        SetFilePointerEx(handle, size, nullptr, FILE_BEGIN);
        SetEndOfFile(handle);
        CloseHandle(handle);
    });
}

bool create_undecodable_file(const std::wstring&) { return false; }

}  // namespace tolvanir::testing
