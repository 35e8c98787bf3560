#include "platform/version_resource.h"

#include "platform/posix/pe_resources.h"
#include "platform/utf8.h"

namespace tolvanir {

std::optional<std::wstring> read_file_description(const std::wstring& path) {
    const auto section = read_resource_section(to_utf8(path));
    return section ? version_file_description(*section) : std::nullopt;
}

}  // namespace tolvanir
