#include "index/path_text.h"

#include <boost/filesystem/path.hpp>
#include <cwchar>

namespace tolvanir {

namespace {

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::size_t last_separator(const std::wstring& path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (is_separator(path[i - 1])) return i - 1;
    }
    return std::wstring::npos;
}

wchar_t ascii_lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

}  // namespace

std::wstring file_name_of(const std::wstring& path) {
    const std::size_t at = last_separator(path);
    return at == std::wstring::npos ? path : path.substr(at + 1);
}

std::wstring stem_of(const std::wstring& path) {
    const std::wstring name = file_name_of(path);
    if (name == L"." || name == L"..") return name;
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring parent_of(const std::wstring& path) {
    const std::size_t at = last_separator(path);
    if (at == std::wstring::npos) return std::wstring();
    // A root keeps its separator: "/" and "D:\", not "" and "D:" (which is
    // the current directory of drive D).
    const bool root = at == 0 || (at == 2 && path[1] == L':');
    return path.substr(0, root ? at + 1 : at);
}

std::wstring join_path(const std::wstring& directory, const std::wstring& name) {
    if (directory.empty() || is_separator(directory.back()) || directory.back() == L':') {
        return directory + name;
    }
    return directory + static_cast<wchar_t>(boost::filesystem::path::preferred_separator) + name;
}

bool has_extension(const std::wstring& path, const wchar_t* extension) {
    const std::size_t length = std::wcslen(extension);
    if (path.size() < length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (ascii_lower(path[path.size() - length + i]) != ascii_lower(extension[i])) return false;
    }
    return true;
}

}  // namespace tolvanir
