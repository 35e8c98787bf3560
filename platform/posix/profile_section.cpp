#include "platform/profile_section.h"

#include <sys/xattr.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/ini_reader.h"
#include "platform/posix/pe_resources.h"
#include "platform/utf8.h"

namespace tolvanir {

std::vector<std::wstring> read_profile_section(const std::wstring& file,
                                               const std::wstring& section) {
    const auto bytes = read_regular_file(to_utf8(file));
    return bytes ? ini_section_lines(*bytes, section) : std::vector<std::wstring>();
}

bool has_system_attribute(const std::wstring& file) {
    // Wine keeps DOS attributes as text such as "0x4"; Samba writes the same
    // text, then a null and binary data. Like Wine, only "0x" and hex digits
    // up to the end or the null count; anything else means no attributes.
    const std::string path = to_utf8(file);
    std::vector<char> value(256);
    ssize_t size = ::getxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size());
    if (size < 0 && errno == ERANGE) {
        // Samba's binary part can make it longer; a value is at most 64 KiB.
        size = ::getxattr(path.c_str(), "user.DOSATTRIB", nullptr, 0);
        if (size <= 0 || size > 65536) return false;
        value.resize(static_cast<std::size_t>(size));
        size = ::getxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size());
    }
    if (size <= 2 || value[0] != '0' || value[1] != 'x') return false;
    std::uint64_t attributes = 0;
    ssize_t at = 2;
    for (; at < size && value[at] != '\0'; ++at) {
        const char c = value[at];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        // Saturates as strtol does, which Wine parses the text with.
        attributes = attributes > (LONG_MAX >> 4) ? LONG_MAX : attributes * 16 + digit;
    }
    if (at == 2) return false;  // "0x" without digits
    constexpr std::uint64_t file_attribute_system = 0x4;
    return (attributes & file_attribute_system) != 0;
}

}  // namespace tolvanir
