#include "platform/posix/ini_reader.h"

#include <algorithm>
#include <cstdint>

namespace tolvanir {

namespace {

std::wstring decode_utf16(const std::string& bytes, std::size_t at, bool big_endian) {
    std::wstring out;
    out.reserve((bytes.size() - at) / 2);
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<std::uint32_t>(big_endian ? (first << 8) | second
                                                     : first | (second << 8));
    };
    // An odd last byte is not a unit and is left out.
    for (std::size_t i = at; i + 1 < bytes.size(); i += 2) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(
                    static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        // Wide characters are code points here: unpaired surrogates have none.
        out.push_back(static_cast<wchar_t>(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u));
    }
    return out;
}

// The length of the valid UTF-8 sequence at AT, or 0.
std::size_t utf8_sequence(const std::string& bytes, std::size_t at, std::uint32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    std::size_t extra = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at <= extra) return 0;
    for (std::size_t k = 1; k <= extra; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(at + k) & 0x3F);
    }
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return extra + 1;
}

// UTF-8 where it is valid, Latin-1 byte by byte where it is not, so that one
// stray byte does not turn a whole file of Chinese names into Latin-1.
std::wstring decode_8bit(const std::string& bytes, std::size_t at) {
    std::wstring out;
    out.reserve(bytes.size() - at);
    while (at < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        std::uint32_t cp = lead;
        const std::size_t length = lead < 0x80 ? 1 : utf8_sequence(bytes, at, cp);
        if (length == 0) {
            out.push_back(static_cast<wchar_t>(lead));
            ++at;
        } else {
            out.push_back(static_cast<wchar_t>(cp));
            at += length;
        }
    }
    return out;
}

std::wstring decode(const std::string& bytes) {
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) return decode_utf16(bytes, 2, false);
    if (bytes.compare(0, 2, "\xFE\xFF") == 0) return decode_utf16(bytes, 2, true);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return decode_8bit(bytes, 3);
    return decode_8bit(bytes, 0);
}

bool is_space(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring trim(const std::wstring& text, std::size_t begin, std::size_t end) {
    while (begin < end && is_space(text[begin])) ++begin;
    while (end > begin && is_space(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool same_name(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c; };
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (fold(a[k]) != fold(b[k])) return false;
    }
    return true;
}

std::size_t utf16_units(const std::wstring& text) {
    std::size_t units = text.size();
    for (const wchar_t c : text) units += static_cast<std::uint32_t>(c) > 0xFFFF ? 1 : 0;
    return units;
}

}  // namespace

std::vector<std::wstring> ini_section_lines(const std::string& file_bytes,
                                            const std::wstring& section) {
    const std::wstring text = decode(file_bytes);
    std::vector<std::wstring> lines;
    bool inside = section.empty();  // the lines before any header
    bool found = inside;
    std::size_t used = 1;  // the final null
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", at);
        if (end == std::wstring::npos) end = text.size();
        const std::size_t next = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        // A null ends the line's text, as it ends the string Windows reads.
        const auto null = std::find(text.begin() + at, text.begin() + end, L'\0');
        const std::wstring line = trim(text, at, static_cast<std::size_t>(null - text.begin()));
        at = next;

        if (line.empty() || line[0] == L';') continue;
        const std::size_t close = line.rfind(L']');
        if (line[0] == L'[' && close != std::wstring::npos) {
            if (found) break;  // only the first section of the name
            inside = found = same_name(trim(line, 1, close), section);
            continue;
        }
        if (!inside) continue;

        const std::size_t equals = line.find(L'=');
        std::wstring entry = equals == std::wstring::npos ? line
                                                          : trim(line, 0, equals) + L'=' +
                                                                trim(line, equals + 1, line.size());
        used += utf16_units(entry) + 1;
        if (used > ini_section_buffer_units) break;
        lines.push_back(std::move(entry));
    }
    return lines;
}

}  // namespace tolvanir
