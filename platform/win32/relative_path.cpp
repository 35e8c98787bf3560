#include "platform/relative_path.h"

#include <windows.h>

#include <shlwapi.h>

namespace tolvanir {

std::optional<std::wstring> relative_directory_path(const std::wstring& from,
                                                    const std::wstring& to) {
    wchar_t buffer[MAX_PATH] = {};
    if (!PathRelativePathToW(buffer, from.c_str(), FILE_ATTRIBUTE_DIRECTORY, to.c_str(),
                             FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return std::wstring(buffer);
}

}  // namespace tolvanir
