#include "platform/shell_link.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace tolvanir {

namespace {

// COM for the duration of one call, on whatever thread makes it.
struct com_scope {
    HRESULT result = CoInitialize(nullptr);
    ~com_scope() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
};

template <typename T>
struct com_ptr {
    T* p = nullptr;
    ~com_ptr() {
        if (p != nullptr) p->Release();
    }
};

}  // namespace

std::wstring resolve_shortcut(const std::wstring& path) {
    com_scope com;
    if (FAILED(com.result)) return std::wstring();
    com_ptr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p)))) {
        return std::wstring();
    }
    com_ptr<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
        return std::wstring();
    }
    if (FAILED(file.p->Load(path.c_str(), STGM_READ))) return std::wstring();
    // No UI, any match, no update, no search, no tracking, no link info.
    if (FAILED(link.p->Resolve(nullptr, 0x7B))) return std::wstring();
    wchar_t buffer[MAX_PATH] = {};
    WIN32_FIND_DATAW unused = {};
    if (FAILED(link.p->GetPath(buffer, MAX_PATH, &unused, SLGP_RAWPATH))) return std::wstring();
    return buffer;
}

}  // namespace tolvanir
