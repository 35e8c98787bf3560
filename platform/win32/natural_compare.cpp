#include "platform/natural_compare.h"

#include <shlwapi.h>
#include <windows.h>

namespace tolvanir {

int natural_compare(const std::wstring& a, const std::wstring& b) {
    return StrCmpLogicalW(a.c_str(), b.c_str());
}

}  // namespace tolvanir
