// The PE resource reader on arbitrary bytes, taken three ways: as a whole
// file, as a version resource (VS_VERSIONINFO tree) and as a string table
// block, so the inner parsers see inputs no PE file would reach them with.
// Whatever the bytes, a text is at most 259 UTF-16 units of real code points
// with no null.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "platform/posix/pe_resources.h"

using namespace tolvanir;
using fuzz::require;

namespace {

void check(const std::optional<std::wstring>& text) {
    if (!text) return;
    std::size_t units = 0;
    for (const wchar_t c : *text) {
        const auto cp = static_cast<std::uint32_t>(c);
        require(cp != 0, "a text holds a null");
        require(cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF), "a text holds no code point");
        units += cp > 0xFFFF ? 2 : 1;
    }
    require(units <= max_resource_text_units, "a text is longer than 259 units");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (const auto section = resource_section_of(bytes)) {
        require(section->directory_offset < section->bytes.size(),
                "the directory lies outside its section");
        check(version_file_description(*section));
        for (const unsigned id : {0u, 1u, 101u, 102u, 4000u, 65535u}) {
            check(string_table_entry(*section, id));
        }
    }
    check(version_info_description(bytes));
    for (unsigned index = 0; index <= 16; ++index) check(string_block_entry(bytes, index));
    return 0;
}
