#include "platform/indirect_string.h"

#include "platform/environment.h"
#include "platform/utf16.h"

#include <windows.h>

namespace tolvanir {

namespace {

// SHLoadIndirectString, taken by ordinal as the shell exports it.
using load_indirect_fn = HRESULT(WINAPI*)(const wchar_t* source, wchar_t* out, UINT size,
                                          void** reserved);

load_indirect_fn loader() {
    static const load_indirect_fn fn = [] {
        HMODULE shlwapi = LoadLibraryW(L"shlwapi.dll");
        return shlwapi == nullptr ? nullptr
                                  : reinterpret_cast<load_indirect_fn>(reinterpret_cast<void*>(
                                        GetProcAddress(shlwapi, MAKEINTRESOURCEA(487))));
    }();
    return fn;
}

}  // namespace

std::wstring load_indirect_string(const std::wstring& source) {
    // Without the at sign the loader hands the text back as it is: not a
    // loaded name.
    if (source.empty() || source[0] != L'@') return std::wstring();
    const load_indirect_fn load = loader();
    if (load == nullptr) return std::wstring();
    // Not every loader expands variables in the module path itself.
    const std::wstring expanded = L"@" + expand_environment(source.substr(1));
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(load(expanded.c_str(), buffer, MAX_PATH, nullptr))) return std::wstring();
    buffer[MAX_PATH - 1] = L'\0';
    std::wstring name = buffer;
    drop_cut_half(name);
    return name;
}

}  // namespace tolvanir
