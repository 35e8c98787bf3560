#include "platform/natural_compare.h"

#include <windows.h>

#include <shlwapi.h>

namespace tolvanir {

int natural_compare(const std::wstring& a, const std::wstring& b) {
    return StrCmpLogicalW(a.c_str(), b.c_str());
}

bool append_natural_sort_key(const std::wstring&, std::string&) { return false; }

}  // namespace tolvanir
