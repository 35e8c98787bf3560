#include "config/json_file.h"

#include <boost/filesystem/operations.hpp>
#include <boost/property_tree/json_parser.hpp>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "config/kept_file.h"
#include "platform/file_link.h"
#include "platform/file_replace.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

namespace tolvanir {

namespace {

constexpr std::uintmax_t max_json_file_size = 256u << 20;

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code unit of a "\uXXXX" escape starting at `at` (the backslash), or -1.
long escaped_unit(const std::string& text, std::size_t at) {
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u') return -1;
    long unit = 0;
    for (std::size_t k = at + 2; k < at + 6; ++k) {
        const int digit = hex_digit(text[k]);
        if (digit < 0) return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// Checks that nesting stays within max_json_depth and mends what the reader
// would refuse, in a copy made only when needed:
// - comments between tokens are blanked: people put comments into files they
//   edit by hand, and the reader does not take them; line ends stay, so the
//   reader's line numbers stay right;
// - an escaped surrogate without its partner (older builds wrote them) is
//   read as U+FFFD: the reader would refuse the whole file for one half.
bool scan_json_text(const std::string& text, std::string& mended) {
    const auto edit = [&]() -> std::string& {
        if (mended.empty()) mended = text;
        return mended;
    };
    const auto blank = [&](std::size_t at) {
        if (text[at] != '\n') edit()[at] = ' ';
    };
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] != '\\') continue;
                const long unit = escaped_unit(text, i);
                if (is_high_surrogate(unit) && is_low_surrogate(escaped_unit(text, i + 6))) {
                    i += 11;  // a whole pair
                } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
                    edit().replace(i + 2, 4, "FFFD");
                    i += 5;
                } else {
                    ++i;
                }
            }
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            for (; i < text.size() && text[i] != '\n'; ++i) blank(i);
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            if (end == std::string::npos) return false;
            for (; i < end + 2; ++i) blank(i);
            --i;
        } else if (c == '[' || c == '{') {
            if (++depth > max_json_depth) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// Only where wchar_t holds whole code points can one unit lie beyond U+FFFF.
constexpr std::uint32_t max_unit = sizeof(wchar_t) == 2 ? 0xFFFFu : 0x7FFFFFFFu;
bool is_supplementary(wchar_t c) { return (static_cast<std::uint32_t>(c) & max_unit) > 0xFFFFu; }

// The writer escapes each code unit on its own: with 32-bit wchar_t a
// character beyond U+FFFF must become its two surrogates first, or it would
// be clamped to \uFFFF; and an unpaired surrogate becomes U+FFFD, or the
// file could not be read back.
bool needs_mended_units(const std::wstring& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (is_supplementary(text[i]) || is_lone_surrogate(text, i)) return true;
    }
    return false;
}

std::wstring mended_units(std::wstring text) {
    replace_lone_surrogates(text);
    std::wstring units;
    units.reserve(text.size() + 2);
    for (const wchar_t c : text) {
        if (!is_supplementary(c)) {
            units.push_back(c);
            continue;
        }
        const std::uint32_t v = static_cast<std::uint32_t>(c) - 0x10000;
        units.push_back(static_cast<wchar_t>(0xD800 + (v >> 10)));
        units.push_back(static_cast<wchar_t>(0xDC00 + (v & 0x3FF)));
    }
    return units;
}

bool needs_mended_units(const wptree& tree) {
    if (needs_mended_units(tree.data())) return true;
    for (const auto& child : tree) {
        if (needs_mended_units(child.first) || needs_mended_units(child.second)) return true;
    }
    return false;
}

wptree with_mended_units(const wptree& tree) {
    wptree copy(mended_units(tree.data()));
    for (const auto& child : tree) {
        copy.push_back(std::make_pair(mended_units(child.first), with_mended_units(child.second)));
    }
    return copy;
}

}  // namespace

bool prepare_json_text(const std::string& utf8, std::wstring& wide) {
    std::string mended;
    if (!scan_json_text(utf8, mended)) return false;
    try {
        wide = from_utf8(mended.empty() ? utf8 : mended);
        return true;
    } catch (const std::range_error&) {
        return false;
    }
}

bool parse_json_text(const std::string& utf8, wptree& tree) {
    boost::property_tree::json_parser::detail::standard_callbacks<wptree> callbacks;
    if (!parse_json_events(utf8, callbacks)) return false;
    tree.swap(callbacks.output());
    return true;
}

file_read open_data_file(const boost::filesystem::path& file, std::ifstream& in, int attempts) {
    namespace fs = boost::filesystem;
    for (int attempt = 1;; ++attempt) {
        // c_str() is a wide path on Windows, so names in any script open.
        in.open(file.c_str(), std::ios::in | std::ios::binary);
        if (in) {
            in.seekg(0, std::ios::end);
            const std::streamoff size = in.tellg();
            in.seekg(0, std::ios::beg);
            if (size >= 0 && static_cast<std::uintmax_t>(size) <= max_json_file_size && in) {
                return file_read::read;
            }
            in.close();
            return file_read::unreadable;
        }
        in.clear();
        boost::system::error_code error;
        const fs::file_type type = fs::status(file, error).type();
        if (type == fs::file_not_found) return file_read::missing;
        if (type != fs::regular_file || attempt >= attempts) return file_read::unreadable;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

file_read read_file_bytes(const boost::filesystem::path& file, std::string& bytes, int attempts) {
    std::ifstream in;
    const file_read found = open_data_file(file, in, attempts);
    if (found != file_read::read) return found;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    if (size == 0 || in.read(&bytes[0], size)) return file_read::read;
    return file_read::unreadable;
}

void move_aside(const boost::filesystem::path& file) {
    boost::system::error_code ignored;
    boost::filesystem::path aside = file;
    aside += ".bad";
    boost::filesystem::rename(file, aside, ignored);
}

bool replace_data_file(const boost::filesystem::path& file, file_read found,
                       const std::function<bool()>& write) {
    if (found != file_read::unreadable) return write();
    // Held so that nothing can replace it: it stays as it is, and nothing
    // beside it.
    if (!names_can_change(file)) return false;
    const std::optional<kept_file> kept = keep_under_free_name(file);
    if (!kept) {
        boost::system::error_code error;
        // Gone meanwhile: there is nothing left to keep.
        return boost::filesystem::status(file, error).type() == boost::filesystem::file_not_found &&
               write();
    }
    if (write()) return true;
    give_name_back(file, *kept);
    return false;
}

std::string format_json_text(const wptree& tree) {
    std::wostringstream stream;
    if (needs_mended_units(tree)) {
        boost::property_tree::write_json(stream, with_mended_units(tree), true);
    } else {
        boost::property_tree::write_json(stream, tree, true);
    }
    // Escaping left only ASCII and U+0080 to U+00FF in the text.
    return to_utf8(stream.str());
}

namespace {

void escape_unit(std::string& out, std::uint32_t unit) {
    static const char hex[] = "0123456789ABCDEF";
    const char digits[] = {'\\',
                           'u',
                           hex[(unit >> 12) & 0xF],
                           hex[(unit >> 8) & 0xF],
                           hex[(unit >> 4) & 0xF],
                           hex[unit & 0xF]};
    out.append(digits, sizeof digits);
}

// One character as the writer escapes it (a value beyond U+FFFF as its pair).
void append_escaped(std::string& out, std::uint32_t c) {
    if (c == 0x20 || c == 0x21 || (c >= 0x23 && c <= 0x2E) || (c >= 0x30 && c <= 0x5B) ||
        (c >= 0x5D && c <= 0x7F)) {
        out.push_back(static_cast<char>(c));
    } else if (c >= 0x80 && c <= 0xFF) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c == '\b') {
        out += "\\b";
    } else if (c == '\f') {
        out += "\\f";
    } else if (c == '\n') {
        out += "\\n";
    } else if (c == '\r') {
        out += "\\r";
    } else if (c == '\t') {
        out += "\\t";
    } else if (c == '/') {
        out += "\\/";
    } else if (c == '"') {
        out += "\\\"";
    } else if (c == '\\') {
        out += "\\\\";
    } else if (c > 0xFFFF && c <= 0x10FFFF) {
        escape_unit(out, 0xD800 + ((c - 0x10000) >> 10));
        escape_unit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else if (is_high_surrogate(c) || is_low_surrogate(c)) {
        escape_unit(out, replacement_character);  // a half alone could not be read back
    } else {
        escape_unit(out, c > 0xFFFF ? 0xFFFF : c);
    }
}

}  // namespace

void append_json_string(std::string& out, const std::wstring& value) {
    out.push_back('"');
    for (std::size_t i = 0; i < value.size(); ++i) {
        auto c =
            static_cast<std::uint32_t>(value[i]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
        // A pair is written as it stands; only a half alone is replaced.
        if (sizeof(wchar_t) == 2 && (is_high_surrogate(c) || is_low_surrogate(c)) &&
            !is_lone_surrogate(value, i)) {
            escape_unit(out, c);
        } else {
            append_escaped(out, c);
        }
    }
    out.push_back('"');
}

void append_json_string_wtf8(std::string& out, std::string_view value) {
    out.push_back('"');
    const auto* p = reinterpret_cast<const unsigned char*>(value.data());
    const auto* const end = p + value.size();
    while (p < end) {
        const unsigned char lead = *p;
        std::uint32_t c = lead;
        int extra = 0;
        if (lead >= 0xF0) {
            c = lead & 0x07, extra = 3;
        } else if (lead >= 0xE0) {
            c = lead & 0x0F, extra = 2;
        } else if (lead >= 0xC0) {
            c = lead & 0x1F, extra = 1;
        }
        if (end - p <= extra) break;
        for (int k = 1; k <= extra; ++k) c = (c << 6) | (p[k] & 0x3Fu);
        append_escaped(out, c);
        p += extra + 1;
    }
    out.push_back('"');
}

bool read_json_file(wptree& tree, const boost::filesystem::path& file) {
    return load_json_file(tree, file) == file_read::read;
}

file_read load_json_file(wptree& tree, const boost::filesystem::path& file, int attempts) {
    std::string bytes;
    const file_read found = read_file_bytes(file, bytes, attempts);
    if (found != file_read::read) return found;
    if (parse_json_text(bytes, tree)) return file_read::read;
    move_aside(file);
    return file_read::broken;
}

void write_json_file(const wptree& tree, const boost::filesystem::path& file) {
    const std::string text = format_json_text(tree);
    if (!replace_file_contents(file, text)) {
        std::string name;
        try {
            name = file.string();
        } catch (const std::exception&) {
            // A name the narrow code page cannot hold; the message goes without it.
        }
        throw boost::property_tree::json_parser_error("write error", name, 0);
    }
}

}  // namespace tolvanir
