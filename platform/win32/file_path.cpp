#include "platform/file_path.h"

#include "platform/utf8.h"

namespace tolvanir {

boost::filesystem::path file_path_of(std::string_view packed_path) {
    return boost::filesystem::path(from_wtf8(packed_path));
}

std::string packed_file_name(const boost::filesystem::path& path) {
    std::string name;
    append_wtf8(name, path.filename().native());
    return name;
}

}  // namespace tolvanir
