#include "platform/directory_listing.h"

#include <dirent.h>

#include <cstring>
#include <memory>

namespace tolvanir {

namespace {

struct directory_closer {
    void operator()(DIR* dir) const { closedir(dir); }
};

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

}  // namespace

bool list_directory(std::string_view directory, std::vector<listed_entry>& entries) {
    const std::unique_ptr<DIR, directory_closer> dir(opendir(std::string(directory).c_str()));
    if (!dir) {
        entries.clear();
        return false;
    }
    // The entries of an earlier listing are written over: their names keep
    // their room, so listing many directories allocates little.
    std::size_t count = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (count == entries.size()) entries.emplace_back();
        entries[count].name.assign(name);
        entries[count++].type = type_of(entry->d_type);
    }
    entries.resize(count);
    return true;
}

}  // namespace tolvanir
