// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
#pragma once

#include <boost/filesystem/fstream.hpp>
#include <boost/filesystem/operations.hpp>
#include <fstream>
#include <iterator>
#include <string>

namespace tolvanir::testing {

class temp_dir {
  public:
    explicit temp_dir(const std::wstring& name = L"work") {
        path_ = boost::filesystem::temp_directory_path() /
                boost::filesystem::unique_path(L"tolvanir-%%%%-%%%%-%%%%") / name;
        boost::filesystem::create_directories(path_);
    }
    ~temp_dir() {
        boost::system::error_code ignored;
        boost::filesystem::remove_all(path_.parent_path(), ignored);
    }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const boost::filesystem::path& path() const { return path_; }
    boost::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

  private:
    boost::filesystem::path path_;
};

// Whole-file helpers that open wide paths on Windows too.
inline std::string read_bytes(const boost::filesystem::path& file) {
    std::ifstream in(file.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_bytes(const boost::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A file of tests/data.
inline std::string test_data(const char* name) {
    return read_bytes(boost::filesystem::path(TOLVANIR_TEST_DATA_DIR) / name);
}

}  // namespace tolvanir::testing
