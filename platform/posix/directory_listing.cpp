#include "platform/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace tolvanir {

namespace {

listed_type type_of(unsigned char d_type) {
    switch (d_type) {
        case DT_REG:
            return listed_type::regular_file;
        case DT_DIR:
            return listed_type::directory;
        default:
            return listed_type::other;  // a link, a device, or a file system that does not say
    }
}

struct descriptor {
    int fd;
    ~descriptor() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

// getdents64 on a descriptor of our own: opendir would also ask for the
// directory's status and allocate, which a load of thousands of listings
// pays for thousands of times.
bool list_directory(std::string_view directory, std::vector<listed_entry>& entries) {
    const descriptor dir{open(std::string(directory).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd < 0) {
        entries.clear();
        return false;
    }
    // The entries of an earlier listing are written over: their names keep
    // their room, so listing many directories allocates little.
    std::size_t count = 0;
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t got = getdents64(dir.fd, buffer, sizeof buffer);
        if (got < 0) {
            entries.clear();
            return false;
        }
        if (got == 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            if (count == entries.size()) entries.emplace_back();
            entries[count].name.assign(name);
            entries[count++].type = type_of(entry->d_type);
        }
    }
    entries.resize(count);
    return true;
}

}  // namespace tolvanir
