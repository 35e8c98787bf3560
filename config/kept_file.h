// Where a data file that could not be read in a whole run is kept, before a
// new one takes its name: beside it, under a numbered name that nothing has
// yet ("Index.unread-1.json", then "-2"...), so no later run replaces it.
#pragma once

#include <boost/filesystem/path.hpp>
#include <optional>

namespace tolvanir {

[[nodiscard]] boost::filesystem::path kept_file_name(const boost::filesystem::path& file,
                                                     int number);

struct kept_file {
    boost::filesystem::path name;
    bool linked = false;  // the file still has its own name too
};

// Gives the file the first free kept name (platform/file_link.h: a second
// name where it can, else a move). Nothing when it could not be kept.
[[nodiscard]] std::optional<kept_file> keep_under_free_name(const boost::filesystem::path& file);

// Undoes the keeping when no new file took the file's name: the file has its
// own name back, and nothing is left beside it.
void give_name_back(const boost::filesystem::path& file, const kept_file& kept);

}  // namespace tolvanir
