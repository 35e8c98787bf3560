#include "platform/indirect_string.h"

#include <optional>

#include "platform/environment.h"
#include "platform/posix/pe_resources.h"
#include "platform/utf8.h"

namespace tolvanir {

namespace {

struct indirect_source {
    std::wstring module;
    unsigned id = 0;
};

// "-ID", optionally followed by ";..." (a comment some writers add, which
// Windows ignores); ID from 1 to 65535. Positive numbers name other kinds of
// resources, which are not strings.
std::optional<unsigned> string_id(const std::wstring& text, std::size_t at) {
    if (at >= text.size() || text[at] != L'-') return std::nullopt;
    unsigned id = 0;
    std::size_t digits = 0;
    for (++at; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at, ++digits) {
        id = id * 10 + static_cast<unsigned>(text[at] - L'0');
        if (id > 0xFFFF) return std::nullopt;
    }
    if (digits == 0 || id == 0) return std::nullopt;
    if (at < text.size() && text[at] != L';') return std::nullopt;
    return id;
}

// "@module,-id": the module ends at the last comma that is followed by an
// id, so that folder names with commas stay part of the path.
std::optional<indirect_source> parse(const std::wstring& source) {
    if (source.size() < 2 || source[0] != L'@') return std::nullopt;
    for (std::size_t comma = source.rfind(L','); comma != std::wstring::npos && comma > 0;
         comma = source.rfind(L',', comma - 1)) {
        if (const auto id = string_id(source, comma + 1)) {
            if (comma == 1) return std::nullopt;  // no module
            return indirect_source{source.substr(1, comma - 1), *id};
        }
    }
    return std::nullopt;
}

// Only absolute native paths can be opened here: a Windows path (drive
// letter or backslashes) names nothing, and a bare module name would need
// the Windows loader's search order.
bool is_native_absolute(const std::wstring& path) {
    return !path.empty() && path[0] == L'/' && path.find(L'\\') == std::wstring::npos;
}

}  // namespace

std::wstring load_indirect_string(const std::wstring& source) {
    const auto parsed = parse(source);
    if (!parsed) return {};
    const std::wstring module = expand_environment(parsed->module);
    if (!is_native_absolute(module) || module.find(L'\0') != std::wstring::npos) return {};
    const auto section = read_resource_section(to_utf8(module));
    if (!section) return {};
    return string_table_entry(*section, parsed->id).value_or(std::wstring());
}

}  // namespace tolvanir
