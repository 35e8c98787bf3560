#include "platform/file_path.h"

namespace tolvanir {

boost::filesystem::path file_path_of(std::string_view packed_path) {
    return boost::filesystem::path(std::string(packed_path));
}

std::string packed_file_name(const boost::filesystem::path& path) {
    return path.filename().native();
}

}  // namespace tolvanir
