#include <windows.h>

#include "support/file_attributes.h"

namespace tolvanir::testing {

bool set_system_attribute(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_SYSTEM) != FALSE;
}

}  // namespace tolvanir::testing
