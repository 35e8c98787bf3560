#pragma once

#include <string>

namespace tolvanir {

// The typed text as queries see it: A-Z lowered, characters from U+0100 up
// lowered by the platform's mapping, the rest of Latin-1 kept, and every
// space (U+0020 only) removed.
[[nodiscard]] std::wstring normalize_query(const std::wstring& typed);

}  // namespace tolvanir
