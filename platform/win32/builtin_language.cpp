#include "platform/builtin_language.h"

#include <windows.h>

namespace tolvanir {

std::optional<std::string> builtin_language_bytes() {
    // The executable's own module: the table is linked into the .exe.
    HRSRC info = FindResourceW(nullptr, L"LANG", L"JSON");
    if (info == nullptr) return std::nullopt;
    HGLOBAL handle = LoadResource(nullptr, info);
    if (handle == nullptr) return std::nullopt;
    const void* data = LockResource(handle);
    const DWORD size = SizeofResource(nullptr, info);
    std::optional<std::string> bytes;
    if (data != nullptr) bytes.emplace(static_cast<const char*>(data), size);
    FreeResource(handle);
    return bytes;
}

}  // namespace tolvanir
