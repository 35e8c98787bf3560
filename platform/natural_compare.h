// Natural-order, case-insensitive comparison of display names, as the shell
// orders file names: "App 2" < "app 3" < "App 10".
//
// Windows: StrCmpLogicalW. POSIX: our own comparison with the same order for
// digit runs, letters and CJK text.
#pragma once

#include <string>

namespace tolvanir {

// Negative, zero or positive like wcscmp.
int natural_compare(const std::wstring& a, const std::wstring& b);

}  // namespace tolvanir
