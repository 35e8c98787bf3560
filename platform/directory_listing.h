// One directory's entries with the type the listing itself reports, so that
// telling files from directories costs no status query per entry.
//
// POSIX: getdents64 and the entry's d_type. Windows: FindFirstFileExW with
// FindExInfoBasic and FIND_FIRST_EX_LARGE_FETCH, whose attributes come with
// each name. Links, reparse points and entries whose type the listing does
// not give are `other`: a caller that follows links asks for those itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvanir {

enum class listed_type { regular_file, directory, other };

struct listed_entry {
    std::string name;  // as the index keeps texts (platform/file_path.h)
    listed_type type;
};

// The entries of `directory` (a path as the index keeps it), "." and ".."
// left out, in the order the file system gives them; false, with no
// entries, when the directory cannot be listed.
[[nodiscard]] bool list_directory(std::string_view directory, std::vector<listed_entry>& entries);

}  // namespace tolvanir
