// The INI reader on arbitrary bytes (UTF-16 with a mark, UTF-8, Latin-1 and
// everything between): every line it gives is trimmed, no comment, free of
// nulls and line breaks, "key=value" without space around the first '=',
// and all of them fit the 4,096-character buffer of GetPrivateProfileSectionW.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/posix/ini_reader.h"

using namespace tolvanir;
using fuzz::require;

namespace {

bool is_space(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

void check(const std::vector<std::wstring>& lines) {
    std::size_t units = 1;
    for (const std::wstring& line : lines) {
        require(!line.empty(), "an empty line");
        require(line[0] != L';', "a comment");
        require(!is_space(line.front()) && !is_space(line.back()), "an untrimmed line");
        require(line.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos,
                "a null or line break inside a line");
        const std::size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) {
            require(equals == 0 || !is_space(line[equals - 1]), "space before '='");
            require(equals + 1 == line.size() || !is_space(line[equals + 1]), "space after '='");
        }
        for (const wchar_t c : line) {
            const auto cp = static_cast<std::uint32_t>(c);
            require(cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF), "not a code point");
            units += cp > 0xFFFF ? 2 : 1;
        }
        ++units;
    }
    require(units <= ini_section_buffer_units, "more than the buffer holds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const wchar_t* section : {L"", L"S", L"LocalizedFileNames", L".ShellClassInfo"}) {
        check(ini_section_lines(bytes, section));
    }
    return 0;
}
