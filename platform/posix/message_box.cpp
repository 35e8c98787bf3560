#include "platform/message_box.h"

#include <cstdint>
#include <cstdio>

#include "platform/utf8.h"

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
        append_utf8(out, c);
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
