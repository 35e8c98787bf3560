// Our own reader of the resources of PE files (PE32 and PE32+), standing in
// for the Windows loader: the version resource's FileDescription and the
// entries of string tables.
//
// Every byte is hostile: offsets are checked against the data they point
// into, counts are bounded by the bytes that could hold them, the directory
// walk has exactly three levels (type, name, language), so offsets that
// point back never loop, and a file that does not parse gives no result.
//
// Where a resource exists in several languages, the first language entry of
// the directory is taken (the lowest language id, as linkers sort them);
// Windows would prefer the user's language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvanir {

// Texts are cut to what a 260-character buffer holds: 259 UTF-16 units. A
// surrogate pair that would be cut in half is left out whole.
inline constexpr std::size_t max_resource_text_units = 259;
// No more of a resource section, or of a whole file, is read than this.
inline constexpr std::size_t max_resource_read_bytes = std::size_t{64} << 20;

inline constexpr std::uint16_t rt_string = 6;
inline constexpr std::uint16_t rt_version = 16;

// The raw data of the section that holds the resource directory. Resource
// data outside this section is not read (linkers never put it elsewhere).
struct resource_section {
    std::string bytes;                   // the section's raw data as stored in the file
    std::uint32_t virtual_address = 0;   // the section's RVA
    std::uint32_t directory_offset = 0;  // where the resource directory starts in bytes
};

// From the whole file's bytes.
[[nodiscard]] std::optional<resource_section> resource_section_of(std::string_view pe_bytes);
// From a file: only the headers and the resource section are read (at most
// max_resource_read_bytes of it), so large executables cost little.
[[nodiscard]] std::optional<resource_section> read_resource_section(const std::string& path);

// The data of resource TYPE/NAME (integer ids) in its first language.
[[nodiscard]] std::optional<std::string_view> find_resource(const resource_section& section,
                                                            std::uint16_t type, std::uint16_t name);

// A VS_VERSIONINFO tree: the FileDescription of the first translation listed
// under VarFileInfo\Translation, looked up as StringFileInfo\llllcccc (lower-
// case hex; block names compare case-insensitively, as VerQueryValueW does).
[[nodiscard]] std::optional<std::wstring> version_info_description(std::string_view version_info);
// Entry INDEX (0 to 15) of an RT_STRING block. Empty entries are missing, and
// the text ends at its first null, as a caller of LoadStringW sees it.
[[nodiscard]] std::optional<std::wstring> string_block_entry(std::string_view block,
                                                             unsigned index);

// The description of the RT_VERSION resource with id 1, the one Windows reads.
[[nodiscard]] std::optional<std::wstring> version_file_description(const resource_section& section);
[[nodiscard]] std::optional<std::wstring> version_file_description(const std::string& pe_bytes);
// String ID (0 to 65535) of the string tables: block ID / 16 + 1, entry ID % 16.
[[nodiscard]] std::optional<std::wstring> string_table_entry(const resource_section& section,
                                                             unsigned id);
[[nodiscard]] std::optional<std::wstring> string_table_entry(const std::string& pe_bytes,
                                                             unsigned id);

// A whole regular file (no devices or pipes), or nothing when it cannot be
// read or is larger than LIMIT bytes.
[[nodiscard]] std::optional<std::string> read_regular_file(
    const std::string& path, std::size_t limit = max_resource_read_bytes);

}  // namespace tolvanir
