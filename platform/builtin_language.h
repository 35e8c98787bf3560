// The built-in language table: resources/lang.json as built into the program.
//
// Windows: the "JSON" resource "LANG" of the executable's own module. POSIX:
// the bytes embedded at build time.
#pragma once

#include <optional>
#include <string>

namespace tolvanir {

// The table's raw UTF-8 bytes, or nothing when the program carries none.
[[nodiscard]] std::optional<std::string> builtin_language_bytes();

}  // namespace tolvanir
