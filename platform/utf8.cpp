#include "platform/utf8.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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

}  // namespace

bool read_utf8_lead(unsigned char lead, utf8_lead& sequence) {
    if ((lead & 0xE0) == 0xC0) {
        sequence = {1, lead & 0x1Fu, 0x80};
    } else if ((lead & 0xF0) == 0xE0) {
        sequence = {2, lead & 0x0Fu, 0x800};
    } else if ((lead & 0xF8) == 0xF0) {
        sequence = {3, lead & 0x07u, 0x10000};
    } else {
        return false;
    }
    return true;
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
        utf8_lead sequence = {};
        if (!read_utf8_lead(lead, sequence)) throw std::range_error("not UTF-8");
        const int extra = sequence.extra;
        std::uint32_t cp = sequence.bits;
        if (end - p <= extra) throw std::range_error("truncated UTF-8");
        for (int k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80) throw std::range_error("not UTF-8");
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        if (!is_strict_utf8(cp, sequence.least)) throw std::range_error("not UTF-8");
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

void append_wtf8(std::string& out, std::wstring_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = static_cast<std::uint32_t>(text[i]);
        if (wide_is_utf16) {
            cp &= 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
                const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        } else if (cp > 0x10FFFF) {
            cp = 0xFFFD;  // no Unicode text holds such a value
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else {
            append_utf8(out, cp);
        }
    }
}

namespace {

// Decodes into `to`, which has room for as many units as there are bytes;
// returns the units written.
std::size_t decode_wtf8(const unsigned char* p, const unsigned char* end, wchar_t* to) {
    wchar_t* at = to;
    while (p < end) {
        // Paths and pinyin are mostly ASCII: sixteen bytes at a time, then eight.
#if defined(__SSE2__)
        if (end - p >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (_mm_movemask_epi8(bytes) == 0) {
                const __m128i zero = _mm_setzero_si128();
                const __m128i low = _mm_unpacklo_epi8(bytes, zero),
                              high = _mm_unpackhi_epi8(bytes, zero);
                auto* out = reinterpret_cast<__m128i*>(at);
                if (sizeof(wchar_t) == 2) {
                    _mm_storeu_si128(out, low);
                    _mm_storeu_si128(out + 1, high);
                } else {
                    _mm_storeu_si128(out, _mm_unpacklo_epi16(low, zero));
                    _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(low, zero));
                    _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(high, zero));
                    _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(high, zero));
                }
                at += 16;
                p += 16;
                continue;
            }
        }
#endif
        std::uint64_t eight = 0;
        if (end - p >= 8 && (std::memcpy(&eight, p, 8), (eight & 0x8080808080808080u) == 0)) {
            for (int k = 0; k < 8; ++k) at[k] = static_cast<wchar_t>(p[k]);
            at += 8;
            p += 8;
            continue;
        }
        const unsigned char lead = *p;
        if (lead < 0x80) {
            *at++ = static_cast<wchar_t>(lead);
            ++p;
            continue;
        }
        std::uint32_t cp = 0;
        int extra = 0;
        if (lead >= 0xF0) {
            cp = lead & 0x07, extra = 3;
        } else if (lead >= 0xE0) {
            cp = lead & 0x0F, extra = 2;
        } else {
            cp = lead & 0x1F, extra = 1;
        }
        if (end - p <= extra) break;  // cut short: not written by append_wtf8
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (p[k] & 0x3F);
        at = put_code_point(at, cp);
        p += extra + 1;
    }
    return static_cast<std::size_t>(at - to);
}

}  // namespace

void append_from_wtf8(std::wstring& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    // Decoded where it stays in the cache, then copied once: no filling of
    // the string ahead of the decoding.
    wchar_t near[512];
    if (bytes.size() <= sizeof near / sizeof near[0]) {
        out.append(near, decode_wtf8(p, p + bytes.size(), near));
        return;
    }
    const std::size_t at = out.size();
    out.resize(at + bytes.size());  // never more units than bytes
    out.resize(at + decode_wtf8(p, p + bytes.size(), &out[at]));
}

std::wstring from_wtf8(std::string_view bytes) {
    std::wstring out;
    append_from_wtf8(out, bytes);
    return out;
}

namespace {

// An encoded surrogate at p (three bytes, ED A0..BF xx): its value, else 0.
std::uint32_t surrogate_at(const unsigned char* p, const unsigned char* end) {
    if (end - p < 3 || p[0] != 0xED || p[1] < 0xA0) return 0;
    return 0xD000u | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
}

}  // namespace

void append_utf8_of_wtf8(std::string& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const auto* run = p;
        while (run < end && *run != 0xED) ++run;  // all but surrogates are UTF-8 already
        out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(run - p));
        p = run;
        if (p == end) break;
        const std::uint32_t unit = surrogate_at(p, end);
        if (unit == 0) {
            out.push_back(static_cast<char>(*p++));
            continue;
        }
        // Where the wide text is UTF-16, two halves in a row are one character.
        const std::uint32_t low = surrogate_at(p + 3, end);
        if (wide_is_utf16 && unit <= 0xDBFF && low >= 0xDC00) {
            append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            p += 6;
            continue;
        }
        append_utf8(out, 0xFFFD);
        p += 3;
    }
}

}  // namespace tolvanir
