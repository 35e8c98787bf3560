#include "platform/message_box.h"

#include <cstdint>
#include <cstdio>

namespace tolvanir {

namespace {

// UTF-8 regardless of the C locale, which is often "C" and would drop every
// non-ASCII character; line ends become spaces so the message stays one line.
std::string one_line_utf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t unit : text) {
        auto c = static_cast<std::uint32_t>(unit);
        if (c == L'\r' || c == L'\n') c = L' ';
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

int show_message_box(const std::wstring& text, const std::wstring& caption, unsigned /*flags*/) {
    const std::string line = one_line_utf8(caption) + ": " + one_line_utf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    // No one is there to confirm anything.
    return message_box_result_no;
}

}  // namespace tolvanir
