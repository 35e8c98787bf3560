#include "support/file_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

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

std::shared_ptr<void> hold_unreadable(const std::wstring& path) {
    const std::string native = to_utf8(path);
    struct stat info = {};
    if (::stat(native.c_str(), &info) != 0 || ::chmod(native.c_str(), 0) != 0) return nullptr;
    const auto restore = [native, mode = info.st_mode](void*) { ::chmod(native.c_str(), mode); };
    const int fd = ::open(native.c_str(), O_RDONLY);
    if (fd >= 0) {  // the mode does not bind this user
        ::close(fd);
        restore(nullptr);
        return nullptr;
    }
    return std::shared_ptr<void>(nullptr, restore);
}

bool create_undecodable_file(const std::wstring& directory) {
    const int fd = ::open((to_utf8(directory) + "/odd\xFF.lnk").c_str(), O_CREAT | O_WRONLY, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

}  // namespace tolvanir::testing
