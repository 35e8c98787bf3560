#include "platform/file_link.h"

#include <windows.h>

namespace tolvanir {

namespace {

bool name_taken(DWORD error) { return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS; }

}  // namespace

link_result link_without_replacing(const boost::filesystem::path& file,
                                   const boost::filesystem::path& name) {
    if (CreateHardLinkW(name.wstring().c_str(), file.wstring().c_str(), nullptr)) {
        return link_result::linked;
    }
    if (name_taken(GetLastError())) return link_result::name_taken;
    // FAT and exFAT have no hard links; a move never replaces without the flag.
    if (MoveFileExW(file.wstring().c_str(), name.wstring().c_str(), MOVEFILE_WRITE_THROUGH)) {
        return link_result::moved;
    }
    return name_taken(GetLastError()) ? link_result::name_taken : link_result::failed;
}

bool names_can_change(const boost::filesystem::path& file) {
    HANDLE handle = CreateFileW(file.wstring().c_str(), DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return true;
}

}  // namespace tolvanir
