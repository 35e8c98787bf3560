// The FileDescription of an executable's version resource.
//
// Windows: GetFileVersionInfoW and VerQueryValueW. POSIX: our own reader of
// the PE resource section. Only the first translation listed under
// \VarFileInfo\Translation is looked at.
#pragma once

#include <optional>
#include <string>

namespace tolvanir {

// The description as stored (at most 259 characters), or nothing when the
// file has no readable version resource, translation or description.
[[nodiscard]] std::optional<std::wstring> read_file_description(const std::wstring& path);

}  // namespace tolvanir
