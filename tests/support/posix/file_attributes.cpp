#include "support/file_attributes.h"

#include <sys/xattr.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/utf8.h"

namespace tolvanir::testing {

bool set_system_attribute(const std::wstring& path) {
    // Wine's format: "0x" and the attributes in hex, no null. Attributes the
    // file already has are kept.
    const std::string native = to_utf8(path);
    unsigned long attributes = 0;
    char old[64] = {};
    const ssize_t size = ::getxattr(native.c_str(), "user.DOSATTRIB", old, sizeof old - 1);
    if (size > 2 && old[0] == '0' && old[1] == 'x') attributes = std::strtoul(old + 2, nullptr, 16);
    char value[32];
    const int length = std::snprintf(value, sizeof value, "0x%lx", attributes | 0x4);
    return ::setxattr(native.c_str(), "user.DOSATTRIB", value, static_cast<std::size_t>(length),
                      0) == 0;
}

}  // namespace tolvanir::testing
