#include "support/file_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
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

namespace {

// Past the size of any file the program reads, which it counts as
// unreadable; sparse, so it costs no disk.
constexpr off_t beyond_readable_size = (off_t{256} << 20) + 1;

// Runs `undo` when the last copy of the result goes; never null.
std::shared_ptr<void> until_released(std::function<void()> undo) {
    return std::shared_ptr<void>(new std::function<void()>(std::move(undo)), [](void* p) {
        auto* undo = static_cast<std::function<void()>*>(p);
        (*undo)();
        delete undo;
    });
}

}  // namespace

std::shared_ptr<void> hold_unreadable(const std::wstring& path) {
    const std::string native = to_utf8(path);
    struct stat info = {};
    if (::stat(native.c_str(), &info) != 0 || ::chmod(native.c_str(), 0) != 0) return nullptr;
    const auto restore = [native, mode = info.st_mode] { ::chmod(native.c_str(), mode); };
    const int fd = ::open(native.c_str(), O_RDONLY);
    if (fd >= 0) {  // the mode does not bind this user
        ::close(fd);
        restore();
        return nullptr;
    }
    return until_released(restore);
}

std::shared_ptr<void> grow_unreadable(const std::wstring& path) {
    // Through a descriptor, so that the same file, under whatever names it
    // has by then, gets its bytes back.
    const int fd = ::open(to_utf8(path).c_str(), O_RDWR | O_CLOEXEC);
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || ::ftruncate(fd, beyond_readable_size) != 0) {
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return until_released([fd, size = info.st_size] {
        (void)::ftruncate(fd, size);
        ::close(fd);
    });
}

bool create_undecodable_file(const std::wstring& directory) {
    const int fd = ::open((to_utf8(directory) + "/odd\xFF.lnk").c_str(), O_CREAT | O_WRONLY, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

}  // namespace tolvanir::testing
