// Natural-order, case-insensitive comparison of display names, as the shell
// orders file names: "App 2" < "app 3" < "App 10".
//
// Windows: StrCmpLogicalW. POSIX: our own comparison with the same order for
// digit runs, letters and CJK text.
#pragma once

#include <string>
#include <string_view>

namespace tolvanir {

// Negative, zero or positive like wcscmp.
int natural_compare(const std::wstring& a, const std::wstring& b);

// Appends to `key` bytes whose order (as memcmp compares them, a shorter
// key first) is natural_compare's order of the names, equal for names it
// finds equal, so that many names sort without comparing them pairwise.
// False, with `key` unchanged, where the platform cannot make such keys
// (Windows: StrCmpLogicalW has none); the names are then compared.
[[nodiscard]] bool append_natural_sort_key(const std::wstring& name, std::string& key);

// The same for names in generalized UTF-8 (platform/utf8.h), as the index
// keeps them, without a wide string where the platform can do without.
int natural_compare_packed(std::string_view a, std::string_view b);
[[nodiscard]] bool append_natural_sort_key_packed(std::string_view name, std::string& key);

}  // namespace tolvanir
