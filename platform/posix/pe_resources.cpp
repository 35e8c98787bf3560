#include "platform/posix/pe_resources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace tolvanir {

namespace {

// Whether COUNT bytes at OFFSET lie inside SIZE bytes, without overflowing.
bool fits(std::uint64_t size, std::uint64_t offset, std::uint64_t count) {
    return offset <= size && count <= size - offset;
}

// Little-endian reads; the caller has checked the bounds.
std::uint16_t u16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::uint32_t u32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(u16(bytes, at)) |
           (static_cast<std::uint32_t>(u16(bytes, at + 2)) << 16);
}

std::size_t align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

bool is_high_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// UNITS UTF-16 LE units at AT (inside BYTES), up to the first null, as code
// points; at most max_resource_text_units units are kept. Unpaired
// surrogates cannot be wide characters here and become U+FFFD.
std::wstring decode_utf16(std::string_view bytes, std::size_t at, std::size_t units) {
    std::wstring out;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = u16(bytes, at + 2 * i);
        if (unit == 0) break;
        if (is_high_surrogate(unit) && i + 1 < units &&
            is_low_surrogate(u16(bytes, at + 2 * (i + 1)))) {
            if (kept + 2 > max_resource_text_units) break;
            const std::uint32_t low = u16(bytes, at + 2 * (i + 1));
            out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
            kept += 2;
            ++i;
            continue;
        }
        if (kept + 1 > max_resource_text_units) break;
        const bool lone = is_high_surrogate(unit) || is_low_surrogate(unit);
        out.push_back(static_cast<wchar_t>(lone ? 0xFFFD : unit));
        ++kept;
    }
    return out;
}

// Locates the resource directory through the headers and reads the section
// holding it. READ(offset, count, out) fails for bytes past the file's end.
template <class Read>
std::optional<resource_section> load_resource_section(std::uint64_t file_size, const Read& read) {
    std::string dos;
    if (!read(0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
    const std::uint64_t nt = u32(dos, 0x3C);
    std::string file_header;
    if (!read(nt, 24, file_header) || file_header.compare(0, 4, std::string("PE\0\0", 4)) != 0) {
        return std::nullopt;
    }
    const std::uint16_t section_count = u16(file_header, 6);
    const std::uint16_t optional_size = u16(file_header, 20);
    std::string optional;
    if (optional_size < 2 || !read(nt + 24, optional_size, optional)) return std::nullopt;

    std::size_t count_at = 0, directories_at = 0;
    switch (u16(optional, 0)) {
        case 0x10B:  // PE32
            count_at = 92, directories_at = 96;
            break;
        case 0x20B:  // PE32+
            count_at = 108, directories_at = 112;
            break;
        default:
            return std::nullopt;
    }
    // The resource directory is data directory 2.
    if (optional.size() < directories_at + 3 * 8 || u32(optional, count_at) < 3) {
        return std::nullopt;
    }
    const std::uint32_t rva = u32(optional, directories_at + 2 * 8);
    if (rva == 0) return std::nullopt;

    std::string table;
    if (!read(nt + 24 + optional_size, std::size_t{section_count} * 40, table)) {
        return std::nullopt;
    }
    for (std::size_t at = 0; at < table.size(); at += 40) {
        const std::uint32_t virtual_size = u32(table, at + 8);
        const std::uint32_t virtual_address = u32(table, at + 12);
        const std::uint32_t raw_size = u32(table, at + 16);
        const std::uint32_t raw_pointer = u32(table, at + 20);
        // Old linkers leave VirtualSize zero; the raw size is then the span.
        const std::uint64_t span = virtual_size != 0 ? virtual_size : raw_size;
        if (rva < virtual_address || rva - virtual_address >= span) continue;
        if (raw_pointer >= file_size) return std::nullopt;
        // Past the raw data the loader would give zeros; nothing to read there.
        const std::uint64_t length = std::min<std::uint64_t>(
            {raw_size, span, file_size - raw_pointer, max_resource_read_bytes});
        resource_section section;
        section.virtual_address = virtual_address;
        section.directory_offset = rva - virtual_address;
        if (section.directory_offset >= length ||
            !read(raw_pointer, static_cast<std::size_t>(length), section.bytes)) {
            return std::nullopt;
        }
        return section;
    }
    return std::nullopt;
}

// One level of the resource directory at OFFSET (from the directory's start).
struct directory_level {
    std::size_t first = 0;  // where the entries start in the section's bytes
    std::size_t count = 0;  // as many as the header claims and the bytes hold
};

std::optional<directory_level> directory_at(const resource_section& section, std::uint32_t offset) {
    const std::string_view bytes = section.bytes;
    const std::uint64_t at = std::uint64_t{section.directory_offset} + offset;
    if (!fits(bytes.size(), at, 16)) return std::nullopt;
    const std::size_t start = static_cast<std::size_t>(at);
    const std::size_t claimed = std::size_t{u16(bytes, start + 12)} + u16(bytes, start + 14);
    directory_level level;
    level.first = start + 16;
    level.count = std::min(claimed, (bytes.size() - level.first) / 8);
    return level;
}

constexpr std::uint32_t high_bit = 0x80000000u;

// The target of the entry with integer id ID; named entries never match.
std::optional<std::uint32_t> entry_by_id(const resource_section& section,
                                         const directory_level& level, std::uint16_t id) {
    for (std::size_t k = 0; k < level.count; ++k) {
        const std::size_t at = level.first + 8 * k;
        if (u32(section.bytes, at) == id) return u32(section.bytes, at + 4);
    }
    return std::nullopt;
}

}  // namespace

std::optional<resource_section> resource_section_of(std::string_view pe_bytes) {
    return load_resource_section(
        pe_bytes.size(), [&](std::uint64_t offset, std::size_t count, std::string& out) {
            if (!fits(pe_bytes.size(), offset, count)) return false;
            out.assign(pe_bytes.substr(static_cast<std::size_t>(offset), count));
            return true;
        });
}

std::optional<resource_section> read_resource_section(const std::string& path) {
    // Non-blocking, so that a FIFO in place of a module cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<resource_section> section;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
        section = load_resource_section(
            size, [&](std::uint64_t offset, std::size_t count, std::string& out) {
                if (!fits(size, offset, count)) return false;
                out.resize(count);
                std::size_t done = 0;
                while (done < count) {
                    const ssize_t n =
                        ::pread(fd, &out[done], count - done, static_cast<off_t>(offset + done));
                    if (n < 0 && errno == EINTR) continue;
                    if (n <= 0) return false;  // an error, or the file shrank
                    done += static_cast<std::size_t>(n);
                }
                return true;
            });
    }
    ::close(fd);
    return section;
}

std::optional<std::string_view> find_resource(const resource_section& section, std::uint16_t type,
                                              std::uint16_t name) {
    // Type and name levels must lead to subdirectories, the language level to
    // a data entry: exactly three steps, whatever the offsets say.
    std::uint32_t offset = 0;
    for (const std::uint16_t id : {type, name}) {
        const auto level = directory_at(section, offset);
        if (!level) return std::nullopt;
        const auto target = entry_by_id(section, *level, id);
        if (!target || (*target & high_bit) == 0) return std::nullopt;
        offset = *target & ~high_bit;
    }
    const auto languages = directory_at(section, offset);
    if (!languages || languages->count == 0) return std::nullopt;
    const std::uint32_t data_entry = u32(section.bytes, languages->first + 4);
    if ((data_entry & high_bit) != 0) return std::nullopt;

    const std::string_view bytes = section.bytes;
    const std::uint64_t at = std::uint64_t{section.directory_offset} + data_entry;
    if (!fits(bytes.size(), at, 16)) return std::nullopt;
    const std::uint32_t data_rva = u32(bytes, static_cast<std::size_t>(at));
    const std::uint32_t data_size = u32(bytes, static_cast<std::size_t>(at) + 4);
    if (data_rva < section.virtual_address) return std::nullopt;
    const std::uint64_t start = data_rva - section.virtual_address;
    if (!fits(bytes.size(), start, data_size)) return std::nullopt;
    return bytes.substr(static_cast<std::size_t>(start), data_size);
}

namespace {

// One block of a VS_VERSIONINFO tree: wLength, wValueLength, wType, the key
// in UTF-16 up to its null, then the value and the children, each starting
// on a 32-bit boundary of the tree.
struct version_block {
    std::size_t start = 0;
    std::size_t end = 0;  // never past the parent's end
    std::size_t key_units = 0;
    std::size_t value_start = 0;
    std::size_t value_end = 0;  // may lie past END in a broken tree: clip before use
    std::size_t children_start = 0;
};

std::optional<version_block> block_at(std::string_view tree, std::size_t start, std::size_t limit) {
    if (!fits(limit, start, 6)) return std::nullopt;
    const std::uint16_t length = u16(tree, start);
    if (length < 6) return std::nullopt;  // also what keeps the sibling walk moving
    version_block block;
    block.start = start;
    block.end = std::min(limit, start + length);
    std::size_t at = start + 6;
    while (true) {
        if (!fits(block.end, at, 2)) return std::nullopt;  // a key without its null
        if (u16(tree, at) == 0) break;
        at += 2;
        ++block.key_units;
    }
    block.value_start = align4(at + 2);
    // Text values count characters, binary ones bytes; VerQueryValueW takes
    // any nonzero wType for text.
    const std::uint16_t value_length = u16(tree, start + 2);
    const std::uint16_t type = u16(tree, start + 4);
    block.value_end = block.value_start + std::size_t{value_length} * (type != 0 ? 2 : 1);
    block.children_start = align4(block.value_end);
    return block;
}

bool key_is(std::string_view tree, const version_block& block, std::string_view key) {
    if (block.key_units != key.size()) return false;
    const auto fold = [](std::uint32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (std::size_t k = 0; k < key.size(); ++k) {
        if (fold(u16(tree, block.start + 6 + 2 * k)) != fold(static_cast<unsigned char>(key[k]))) {
            return false;
        }
    }
    return true;
}

// The first child named KEY; a broken sibling ends the search.
std::optional<version_block> child_named(std::string_view tree, const version_block& parent,
                                         std::string_view key) {
    std::size_t at = parent.children_start;
    while (fits(parent.end, at, 6)) {
        const auto child = block_at(tree, at, parent.end);
        if (!child) return std::nullopt;
        if (key_is(tree, *child, key)) return child;
        at = align4(at + u16(tree, at));
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> version_info_description(std::string_view version_info) {
    const auto root = block_at(version_info, 0, version_info.size());
    if (!root) return std::nullopt;

    const auto var_info = child_named(version_info, *root, "VarFileInfo");
    const auto translation =
        var_info ? child_named(version_info, *var_info, "Translation") : std::nullopt;
    if (!translation || translation->value_end < translation->value_start + 4 ||
        !fits(translation->end, translation->value_start, 4)) {
        return std::nullopt;
    }
    const std::uint32_t first = u32(version_info, translation->value_start);
    char table_name[9];
    std::snprintf(table_name, sizeof table_name, "%04x%04x", static_cast<unsigned>(first & 0xFFFF),
                  static_cast<unsigned>(first >> 16));

    const auto string_info = child_named(version_info, *root, "StringFileInfo");
    const auto table =
        string_info ? child_named(version_info, *string_info, table_name) : std::nullopt;
    const auto description =
        table ? child_named(version_info, *table, "FileDescription") : std::nullopt;
    if (!description) return std::nullopt;
    const std::size_t value_end = std::min(description->value_end, description->end);
    if (value_end <= description->value_start) return std::wstring();
    return decode_utf16(version_info, description->value_start,
                        (value_end - description->value_start) / 2);
}

std::optional<std::wstring> string_block_entry(std::string_view block, unsigned index) {
    if (index > 15) return std::nullopt;
    std::size_t at = 0;
    for (unsigned k = 0;; ++k) {
        if (!fits(block.size(), at, 2)) return std::nullopt;
        const std::size_t units = u16(block, at);
        at += 2;
        if (!fits(block.size(), at, 2 * units)) return std::nullopt;
        if (k == index) {
            if (units == 0) return std::nullopt;
            return decode_utf16(block, at, units);
        }
        at += 2 * units;
    }
}

std::optional<std::wstring> version_file_description(const resource_section& section) {
    const auto data = find_resource(section, rt_version, 1);
    return data ? version_info_description(*data) : std::nullopt;
}

std::optional<std::wstring> version_file_description(const std::string& pe_bytes) {
    const auto section = resource_section_of(pe_bytes);
    return section ? version_file_description(*section) : std::nullopt;
}

std::optional<std::wstring> string_table_entry(const resource_section& section, unsigned id) {
    if (id > 0xFFFF) return std::nullopt;
    const auto data = find_resource(section, rt_string, static_cast<std::uint16_t>(id / 16 + 1));
    return data ? string_block_entry(*data, id % 16) : std::nullopt;
}

std::optional<std::wstring> string_table_entry(const std::string& pe_bytes, unsigned id) {
    const auto section = resource_section_of(pe_bytes);
    return section ? string_table_entry(*section, id) : std::nullopt;
}

std::optional<std::string> read_regular_file(const std::string& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) <= limit) {
        // Read to the end rather than trusting the size: the file may grow.
        std::string data(static_cast<std::size_t>(info.st_size) + 1, '\0');
        std::size_t done = 0;
        bool failed = false;
        while (true) {
            if (done == data.size()) {
                if (data.size() > limit) {
                    failed = true;
                    break;
                }
                data.resize(std::min(limit + 1, data.size() * 2));
            }
            const ssize_t n = ::read(fd, &data[done], data.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) failed = true;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        if (!failed) {
            data.resize(done);
            bytes = std::move(data);
        }
    }
    ::close(fd);
    return bytes;
}

}  // namespace tolvanir
