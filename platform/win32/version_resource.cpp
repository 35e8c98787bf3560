#include "platform/version_resource.h"

#include <windows.h>

#include <vector>

#include "platform/utf16.h"

namespace tolvanir {

std::optional<std::wstring> read_file_description(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return std::nullopt;

    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &length) ||
        length < sizeof(DWORD)) {
        return std::nullopt;
    }
    const DWORD first = *static_cast<const DWORD*>(translation);
    wchar_t name[64];
    wsprintfW(name, L"\\StringFileInfo\\%04x%04x\\%s", LOWORD(first), HIWORD(first),
              L"FileDescription");

    void* value = nullptr;
    if (!VerQueryValueW(block.data(), name, &value, &length) || value == nullptr)
        return std::nullopt;
    // The reported length may or may not count the terminator; at most 259
    // units are kept either way, and never half of a pair.
    const wchar_t* text = static_cast<const wchar_t*>(value);
    return cut_at_pair_boundary(std::wstring(text, wcsnlen(text, length)), MAX_PATH - 1);
}

}  // namespace tolvanir
