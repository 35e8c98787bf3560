#include "platform/program_directory.h"

#include <boost/filesystem/operations.hpp>

namespace tolvanir {

boost::filesystem::path executable_path() {
    boost::system::error_code error;
    boost::filesystem::path path = boost::filesystem::read_symlink("/proc/self/exe", error);
    return error ? boost::filesystem::path() : path;
}

}  // namespace tolvanir
