#include "platform/utf8.h"

#include <cstdint>
#include <stdexcept>

namespace tolvanir {

namespace {

constexpr bool wide_is_utf16 = sizeof(wchar_t) == 2;

wchar_t* put_code_point(wchar_t* out, std::uint32_t cp) {
    if (wide_is_utf16 && cp > 0xFFFF) {
        cp -= 0x10000;
        *out++ = static_cast<wchar_t>(0xD800 + (cp >> 10));
        *out++ = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        *out++ = static_cast<wchar_t>(cp);
    }
    return out;
}

void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::wstring from_utf8(const std::string& bytes) {
    // Never more units than bytes: a four-byte sequence gives at most two.
    std::wstring out(bytes.size(), L'\0');
    wchar_t* at = &out[0];
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            *at++ = static_cast<wchar_t>(lead);
            ++p;
            continue;
        }
        int extra = 0;
        std::uint32_t cp = 0, min = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, min = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, min = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, min = 0x10000;
        } else {
            throw std::range_error("not UTF-8");
        }
        if (end - p <= extra) throw std::range_error("truncated UTF-8");
        for (int k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80) throw std::range_error("not UTF-8");
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        // Overlong forms, encoded surrogates and values past Unicode are refused.
        if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            throw std::range_error("not UTF-8");
        }
        at = put_code_point(at, cp);
        p += extra + 1;
    }
    out.resize(static_cast<std::size_t>(at - out.data()));
    return out;
}

std::string to_utf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = static_cast<std::uint32_t>(text[i]);
        if (wide_is_utf16) cp &= 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && wide_is_utf16 && i + 1 < text.size()) {
            const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                append_utf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        // An unpaired surrogate or a value past Unicode has no UTF-8 form.
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        append_utf8(out, cp);
    }
    return out;
}

}  // namespace tolvanir
