// The interface texts: Lang/<language>.json beside the program when present,
// otherwise the built-in Chinese table.
#pragma once

#include <boost/filesystem/path.hpp>
#include <optional>
#include <string>

#include "config/json_file.h"

namespace tolvanir {

// The process-wide language table, empty until load_language_table(); main
// thread only.
wptree& language_table();

// The file `file_name` in the directory "Lang" under the program directory.
// Creates nothing.
boost::filesystem::path language_file_path(const std::wstring& file_name);

// Fills language_table() for the user's interface language.
void load_language_table();

// Replaces `table` with `lang_file` when it reads and parses (keys it lacks
// stay missing), otherwise with the built-in bytes; with neither usable the
// table ends up empty. A language file that does not parse is moved aside.
void load_language_table(wptree& table, const boost::filesystem::path& lang_file,
                         const std::optional<std::string>& builtin_bytes);

// The text stored under `key`, a '.'-separated path ("a.b" is member b of
// object a); the key itself when there is none. An object yields "".
[[nodiscard]] std::wstring text(const std::wstring& key);
[[nodiscard]] std::wstring text(const wptree& table, const std::wstring& key);

// A message box with no owner, captioned with the text of "name"; returns
// the button chosen (message_box_result_* of platform/message_box.h).
int message_box(const std::wstring& message, unsigned flags);

}  // namespace tolvanir
