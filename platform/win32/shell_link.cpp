#include "platform/shell_link.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/utf16.h"

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

// The shell's link reader trusts the sizes and offsets inside the file: a
// link cut short (still being written) or damaged can make it read past its
// data. Only a file whose parts all lie within it is handed on.
class link_bytes {
  public:
    explicit link_bytes(std::vector<unsigned char> data) : data_(std::move(data)) {}

    bool whole() const {
        if (u32(0) != 0x4C || data_.size() < 0x4C) return false;
        const DWORD flags = u32(0x14);
        std::size_t at = 0x4C;
        if ((flags & 0x1) != 0 && !id_list_fits(at)) return false;    // HasLinkTargetIDList
        if ((flags & 0x2) != 0 && !link_info_fits(at)) return false;  // HasLinkInfo
        const bool unicode = (flags & 0x80) != 0;
        for (const DWORD bit : {0x4u, 0x8u, 0x10u, 0x20u, 0x40u}) {  // the string data
            if ((flags & bit) == 0) continue;
            if (!has(at, 2)) return false;
            at += 2 + static_cast<std::size_t>(u16(at)) * (unicode ? 2 : 1);
            if (at > data_.size()) return false;
        }
        while (has(at, 4) && u32(at) >= 4) {  // extra data blocks
            if (!has(at, u32(at))) return false;
            at += u32(at);
        }
        return true;
    }

  private:
    bool has(std::size_t at, std::size_t count) const {
        return at <= data_.size() && count <= data_.size() - at;
    }
    DWORD u16(std::size_t at) const { return has(at, 2) ? data_[at] | (data_[at + 1] << 8) : 0; }
    DWORD u32(std::size_t at) const { return has(at, 4) ? u16(at) | (u16(at + 2) << 16) : 0; }

    bool id_list_fits(std::size_t& at) const {
        if (!has(at, 2)) return false;
        const std::size_t size = u16(at);
        at += 2;
        if (!has(at, size)) return false;
        // Every item's own size must lead to the terminator inside the list.
        for (std::size_t item = 0;;) {
            if (item + 2 > size) return false;
            const std::size_t length = u16(at + item);
            if (length == 0) break;
            if (length < 2 || item + length > size) return false;
            item += length;
        }
        at += size;
        return true;
    }

    bool link_info_fits(std::size_t& at) const {
        if (!has(at, 0x1C)) return false;
        const std::size_t size = u32(at);
        if (size < 0x1C || !has(at, size) || u32(at + 4) > size) return false;
        // VolumeIDOffset, LocalBasePathOffset, CommonNetworkRelativeLinkOffset,
        // CommonPathSuffixOffset, and the Unicode ones when the header has them.
        const std::size_t header = u32(at + 4);
        const std::size_t last = header >= 0x24 ? 0x20 : 0x18;
        for (std::size_t field = 0x0C; field <= last; field += 4) {
            const std::size_t offset = u32(at + field);
            if (offset == 0) continue;
            if (offset >= size) return false;
            const bool wide = field >= 0x1C;
            if (field == 0x0C || field == 0x14) {  // structures that start with their size
                if (offset + 4 > size || offset + u32(at + offset) > size) return false;
                continue;
            }
            if (!terminated(at + offset, at + size, wide)) return false;
        }
        at += size;
        return true;
    }

    bool terminated(std::size_t from, std::size_t end, bool wide) const {
        for (std::size_t i = from; i + (wide ? 1 : 0) < end; i += wide ? 2 : 1) {
            if (data_[i] == 0 && (!wide || data_[i + 1] == 0)) return true;
        }
        return false;
    }

    std::vector<unsigned char> data_;
};

bool link_is_whole(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    std::vector<unsigned char> data;
    bool read_all =
        GetFileSizeEx(file, &size) && size.QuadPart >= 0x4C && size.QuadPart <= (1 << 20);
    if (read_all) {
        data.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        read_all = ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) &&
                   got == data.size();
    }
    CloseHandle(file);
    return read_all && link_bytes(std::move(data)).whole();
}

}  // namespace

std::wstring resolve_shortcut(const std::wstring& path) {
    if (!link_is_whole(path)) return std::wstring();
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
    std::wstring target = buffer;
    drop_cut_half(target);
    return target;
}

}  // namespace tolvanir
