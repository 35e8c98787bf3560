#include "platform/file_replace.h"

#include <windows.h>

#include <algorithm>

namespace tolvanir {

bool replace_file_contents(const boost::filesystem::path& target, const std::string& bytes) {
    const std::wstring temp = target.wstring() + L".tmp";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    std::size_t done = 0;
    while (written && done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD n = 0;
        written = WriteFile(file, bytes.data() + done, chunk, &n, nullptr) && n == chunk;
        done += n;
    }
    written = written && FlushFileBuffers(file);
    const bool closed = CloseHandle(file) != 0;
    if (!written || !closed ||
        !MoveFileExW(temp.c_str(), target.wstring().c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace tolvanir
