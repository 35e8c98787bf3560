#include "config/program_files.h"

#include <boost/filesystem/operations.hpp>

#include "platform/program_directory.h"

namespace tolvanir {

namespace fs = boost::filesystem;

fs::path program_directory() { return executable_path().parent_path(); }

fs::path data_file_path(const std::wstring& name) {
    return data_file_path(program_directory(), name);
}

fs::path data_file_path(const fs::path& program_dir, const std::wstring& name) {
    const fs::path data = program_dir / L"Data";
    boost::system::error_code error;
    if (fs::status(data, error).type() != fs::directory_file) {
        fs::remove(data, error);
        fs::create_directory(data, error);
    }
    return data / name;
}

}  // namespace tolvanir
