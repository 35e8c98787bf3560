#include "platform/relative_path.h"

#include <boost/filesystem/path.hpp>

namespace tolvanir {

std::optional<std::wstring> relative_directory_path(const std::wstring& from,
                                                    const std::wstring& to) {
    const boost::filesystem::path base = boost::filesystem::path(from).lexically_normal();
    const boost::filesystem::path target = boost::filesystem::path(to).lexically_normal();
    if (!base.is_absolute() || !target.is_absolute()) return std::nullopt;
    const std::wstring relative = target.lexically_relative(base).wstring();
    if (relative.empty()) return std::nullopt;
    // Like the shell, a path below the base starts with "./".
    if (relative == L".") return std::wstring(L".");
    return relative.compare(0, 2, L"..") == 0 ? relative : L"./" + relative;
}

}  // namespace tolvanir
