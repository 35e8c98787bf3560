#include "platform/profile_section.h"

#include <windows.h>

namespace tolvanir {

namespace {

constexpr std::size_t section_limit = 4096;

}  // namespace

std::vector<std::wstring> read_profile_section(const std::wstring& file,
                                               const std::wstring& section) {
    // A full buffer ends in a line cut part-way; read the whole section and
    // keep the whole lines that fit the limit instead.
    std::vector<wchar_t> buffer(section_limit, L'\0');
    DWORD copied = 0;
    for (;;) {
        copied = GetPrivateProfileSectionW(section.c_str(), buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
        if (copied < buffer.size() - 2 || buffer.size() >= (1u << 20)) break;
        buffer.assign(buffer.size() * 2, L'\0');
    }
    std::vector<std::wstring> lines;
    std::size_t used = 1;  // the final NUL
    for (std::size_t at = 0; at < copied && buffer[at] != L'\0';) {
        const std::wstring line(buffer.data() + at);
        if (used + line.size() + 1 > section_limit) break;
        used += line.size() + 1;
        lines.push_back(line);
        at += line.size() + 1;
    }
    return lines;
}

bool has_system_attribute(const std::wstring& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
}

}  // namespace tolvanir
