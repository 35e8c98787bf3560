#include "platform/directory_listing.h"

#include <windows.h>

#include <memory>

#include "platform/utf8.h"

namespace tolvanir {

namespace {

struct find_closer {
    void operator()(HANDLE find) const { FindClose(find); }
};

listed_type type_of(DWORD attributes) {
    // A reparse point may be a link to either kind, or to nothing.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return listed_type::other;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return listed_type::directory;
    return listed_type::regular_file;
}

}  // namespace

bool list_directory(std::string_view directory, std::vector<listed_entry>& entries) {
    std::wstring pattern = from_wtf8(directory);
    if (pattern.empty()) {
        entries.clear();
        return false;
    }
    if (pattern.back() != L'\\' && pattern.back() != L'/' && pattern.back() != L':') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        entries.clear();
        return false;
    }
    const std::unique_ptr<void, find_closer> closer(find);
    // The entries of an earlier listing are written over: their names keep
    // their room, so listing many directories allocates little.
    std::size_t count = 0;
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        if (count == entries.size()) entries.emplace_back();
        entries[count].name.clear();
        append_wtf8(entries[count].name, name);
        entries[count++].type = type_of(data.dwFileAttributes);
    } while (FindNextFileW(find, &data));
    entries.resize(count);
    return true;
}

}  // namespace tolvanir
