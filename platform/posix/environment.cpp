#include "platform/environment.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "platform/utf8.h"

namespace tolvanir {

namespace {

// A result longer than ExpandEnvironmentStringsW's 32K-character limit gives
// the text back unexpanded, rather than letting a few large variables repeated
// in one line grow it without bound.
constexpr std::size_t max_expanded_units = 32767;

// Names are case-sensitive here, unlike on Windows: POSIX environments may
// hold both "Path" and "PATH".
std::optional<std::wstring> variable(const std::wstring& name) {
    // "" and names with '=' would match the wrong entry of environ.
    if (name.empty() || name.find_first_of(std::wstring(L"=\0", 2)) != std::wstring::npos) {
        return std::nullopt;
    }
    const char* value = std::getenv(to_utf8(name).c_str());
    if (value == nullptr) return std::nullopt;
    try {
        return from_utf8(value);
    } catch (const std::range_error&) {
        return std::nullopt;  // bytes we cannot represent: as if it were not set
    }
}

std::size_t utf16_units(const std::wstring& text) {
    std::size_t units = text.size();
    for (const wchar_t c : text) units += static_cast<std::uint32_t>(c) > 0xFFFF ? 1 : 0;
    return units;
}

}  // namespace

std::wstring expand_environment(const std::wstring& text) {
    // The rules of ExpandEnvironmentStringsW: an unknown %NAME% is copied with
    // both percent signs and scanning resumes after the second one, so its
    // closing sign never opens the next name; a % without a partner is text.
    std::wstring out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find(L'%', at);
        if (open == std::wstring::npos) {
            out.append(text, at, std::wstring::npos);
            break;
        }
        out.append(text, at, open - at);
        const std::size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            out.append(text, open, std::wstring::npos);
            break;
        }
        const auto value = variable(text.substr(open + 1, close - open - 1));
        if (value) {
            out += *value;
        } else {
            out.append(text, open, close - open + 1);
        }
        at = close + 1;
        if (out.size() > max_expanded_units) return text;
    }
    return utf16_units(out) > max_expanded_units ? text : out;
}

}  // namespace tolvanir
