#include "index/present_files.h"

#include <boost/filesystem/operations.hpp>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/directory_listing.h"
#include "platform/file_path.h"

namespace tolvanir {

namespace {

namespace fs = boost::filesystem;

// A listing costs about what a few status queries cost.
constexpr std::size_t listed_from = 4;

bool is_regular(std::string_view path) {
    boost::system::error_code error;
    return fs::status(file_path_of(path), error).type() == fs::regular_file;
}

std::size_t name_start(std::string_view path) {
    // By hand: find_last_of searches its set once for every byte.
    for (std::size_t at = path.size(); at > 0; --at) {
        if (path[at - 1] == '\\' || path[at - 1] == '/') return at;
    }
    return 0;
}

// A directory's regular files and directories, as the listing says without
// following links; anything else is left out.
class listing {
  public:
    explicit listing(std::string_view directory) {
        if (!list_directory(directory, entries_)) return;
        index_.reserve(entries_.size());
        // Looked up by view: entries_ no longer moves.
        for (const listed_entry& entry : entries_) {
            if (entry.type != listed_type::other) index_.emplace(entry.name, entry.type);
        }
    }

    // Null when the listing does not show the name.
    [[nodiscard]] const listed_type* find(std::string_view name) const {
        const auto found = index_.find(name);
        return found == index_.end() ? nullptr : &found->second;
    }

  private:
    std::vector<listed_entry> entries_;
    std::unordered_map<std::string_view, listed_type> index_;
};

}  // namespace

std::vector<bool> regular_files(const std::vector<std::string_view>& paths) {
    std::vector<bool> regular(paths.size(), false);
    std::vector<std::string_view> directories(paths.size()), names(paths.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        // The directory keeps its last separator: D: alone would name the
        // current directory of drive D, not its root.
        const std::size_t start = name_start(paths[k]);
        directories[k] = paths[k].substr(0, start);
        names[k] = paths[k].substr(start);
    }
    // The paths grouped by directory, each group in the order of the paths.
    std::unordered_map<std::string_view, std::vector<std::size_t>> by_directory;
    for (std::size_t k = 0; k < paths.size(); ++k) by_directory[directories[k]].push_back(k);

    for (const auto& [dir, members] : by_directory) {
        std::optional<listing> entries;
        if (members.size() >= listed_from && !dir.empty()) entries.emplace(dir);
        for (const std::size_t k : members) {
            const listed_type* type = entries ? entries->find(names[k]) : nullptr;
            // Only what the listing shows is taken from it: a name it lacks may
            // still resolve (letter case, short names), so it is asked for.
            regular[k] =
                type == nullptr ? is_regular(paths[k]) : *type == listed_type::regular_file;
        }
    }
    return regular;
}

}  // namespace tolvanir
