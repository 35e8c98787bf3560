// A directory's path relative to another, as the shell forms it.
//
// Windows: PathRelativePathToW with both as directories (".\Tools" for a
// subdirectory). POSIX: the same shape with '/'.
#pragma once

#include <optional>
#include <string>

namespace tolvanir {

[[nodiscard]] std::optional<std::wstring> relative_directory_path(const std::wstring& from,
                                                                  const std::wstring& to);

}  // namespace tolvanir
