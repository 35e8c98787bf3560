#include "config/scan_directories.h"

#include <boost/filesystem/operations.hpp>

#include "platform/relative_path.h"

namespace tolvanir {

namespace {

constexpr std::size_t max_path_length = 259;

}  // namespace

std::optional<scanner_directory> add_scan_directory(wptree& settings, const std::wstring& path,
                                                    const std::wstring& program_dir) {
    if (path.empty() || path.size() > max_path_length) return std::nullopt;
    boost::system::error_code error;
    if (boost::filesystem::status(boost::filesystem::path(path), error).type() !=
        boost::filesystem::directory_file) {
        return std::nullopt;
    }
    std::wstring stored = path;
    if (!program_dir.empty() && path.find(program_dir) != std::wstring::npos) {
        if (const auto relative = relative_directory_path(program_dir, path)) stored = *relative;
    }

    wptree list = settings.get_child(L"scan_directory", wptree());
    for (const auto& entry : list) {
        if (!entry.second.empty() && entry.second.front().second.data() == stored)
            return std::nullopt;
    }
    // A plain text written there by hand lists nothing; left in place beside
    // the new entry it would make the settings unwritable.
    list.data().clear();
    wptree entry;
    entry.push_back({std::wstring(), wptree(stored)});
    entry.push_back({std::wstring(), wptree(std::to_wstring(added_directory_depth))});
    list.push_back({std::wstring(), entry});
    settings.put_child(L"scan_directory", list);
    return scanner_directory{stored, added_directory_depth};
}

}  // namespace tolvanir
