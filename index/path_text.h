// Paths as text: the parts the scanner and watcher need, with the rules the
// index relies on (a stem stops at the last dot; joining adds one separator).
// Both '\' and '/' end a name part: targets read from shortcuts are Windows
// paths whatever system reads them.
#pragma once

#include <string>

namespace tolvanir {

[[nodiscard]] std::wstring file_name_of(const std::wstring& path);
// Up to, not including, the last dot; the whole name without a dot; "." and
// ".." stay themselves.
[[nodiscard]] std::wstring stem_of(const std::wstring& path);
[[nodiscard]] std::wstring parent_of(const std::wstring& path);
// Joins with the platform's separator unless `directory` already ends in a
// separator or a colon.
[[nodiscard]] std::wstring join_path(const std::wstring& directory, const std::wstring& name);
// Whether the name ends with the extension (".lnk"), ASCII case ignored.
[[nodiscard]] bool has_extension(const std::wstring& path, const wchar_t* extension);

}  // namespace tolvanir
