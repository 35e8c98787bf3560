#include "platform/natural_compare.h"

#include <windows.h>

#include <shlwapi.h>

#include "platform/utf8.h"

namespace tolvanir {

int natural_compare(const std::wstring& a, const std::wstring& b) {
    return StrCmpLogicalW(a.c_str(), b.c_str());
}

bool append_natural_sort_key(const std::wstring&, std::string&) { return false; }

int natural_compare_packed(std::string_view a, std::string_view b) {
    // Reused: the window thread compares many names in a row.
    thread_local std::wstring wide_a, wide_b;
    wide_a.clear();
    wide_b.clear();
    append_from_wtf8(wide_a, a);
    append_from_wtf8(wide_b, b);
    return StrCmpLogicalW(wide_a.c_str(), wide_b.c_str());
}

bool append_natural_sort_key_packed(std::string_view, std::string&) { return false; }

}  // namespace tolvanir
