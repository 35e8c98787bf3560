// Which stored paths still name regular files, as a status query that
// follows links tells. Checking a hundred thousand paths one by one costs
// seconds on Windows; a directory that holds several of them is listed once
// instead, and only what the listing cannot tell is asked for one by one.
#pragma once

#include <string_view>
#include <vector>

namespace tolvanir {

// Paths in generalized UTF-8, as the index keeps them.
[[nodiscard]] std::vector<bool> regular_files(const std::vector<std::string_view>& paths);

}  // namespace tolvanir
