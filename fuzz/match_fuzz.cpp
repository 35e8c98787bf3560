// Matching, pinyin and the natural order on arbitrary text. The first byte
// picks how the rest becomes wide text: UTF-8 (bytes that are not UTF-8 taken
// one unit each), or raw wchar_t units, so values no decoder yields (lone
// surrogates, past U+10FFFF, negative) are tried too. Units of value 0 split
// it into a pattern, a text and a third string.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "index/packed_item.h"
#include "index/pinyin.h"
#include "platform/natural_compare.h"
#include "platform/utf8.h"
#include "search/match_score.h"
#include "search/packed_match.h"

using namespace tolvanir;
using fuzz::require;

namespace {

std::wstring decode(const std::uint8_t* data, std::size_t size, bool raw_units) {
    if (raw_units) {
        std::wstring units(size / sizeof(wchar_t), L'\0');
        if (!units.empty()) std::memcpy(&units[0], data, units.size() * sizeof(wchar_t));
        return units;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        return from_utf8(bytes);
    } catch (const std::range_error&) {
        return std::wstring(bytes.begin(), bytes.end());
    }
}

bool has_ascii_capital(const std::wstring& text) {
    for (const wchar_t c : text) {
        if (c >= L'A' && c <= L'Z') return true;
    }
    return false;
}

int sign(const std::wstring& a, const std::wstring& b) {
    const int r = natural_compare(a, b);
    return (r > 0) - (r < 0);
}

void check_match(const std::wstring& pattern, const std::wstring& text) {
    const double score = match_score(pattern, text);
    require(score >= 0.0 && score <= 1.0, "match score outside [0, 1]");
    if (pattern.empty()) require(score == 1.0, "an empty pattern does not score 1");
    // The index keeps texts packed; values past Unicode no decoder yields
    // are not kept as they are.
    const auto in_unicode = [](const std::wstring& s) {
        for (const wchar_t c : s) {
            if (static_cast<std::uint32_t>(c) > 0x10FFFF) return false;
        }
        return true;
    };
    if (!in_unicode(pattern) || !in_unicode(text)) return;
    const program_item item{text, text, text, L"", 0};
    text_arena arena;
    const packed_item packed(arena, item);
    require(fuzz::same_items({packed.to_item(0)}, {item}), "packing does not keep the texts");
    packed_pattern packed_query;
    if (!has_ascii_capital(pattern) && pack_pattern(pattern, packed_query)) {
        require(match_score_packed(packed_query, packed.folded_search_text()) == score,
                "the packed match scores differently");
    }
}

void check_pinyin(const std::wstring& text) {
    for (const wchar_t c : to_pinyin(text)) require(c >= L'a' && c <= L'z', "pinyin beyond a-z");
}

// A sort needs a strict weak order: antisymmetric, and both "before" and
// "neither before the other" transitive.
void check_order(const std::wstring& a, const std::wstring& b, const std::wstring& c) {
    const std::wstring* s[] = {&a, &b, &c};
    for (const std::wstring* x : s) {
        require(sign(*x, std::wstring(*x)) == 0, "a string does not equal itself");
        for (const std::wstring* y : s) {
            require(sign(*x, *y) == -sign(*y, *x), "natural_compare is not antisymmetric");
            for (const std::wstring* z : s) {
                const int xy = sign(*x, *y), yz = sign(*y, *z), xz = sign(*x, *z);
                if (xy <= 0 && yz <= 0) {
                    require(xz <= 0, "natural_compare is not transitive");
                    if (xy < 0 || yz < 0) require(xz < 0, "natural_compare is not transitive");
                }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::wstring all = decode(data + 1, size - 1, (data[0] & 1) != 0);
    std::vector<std::wstring> parts(1);
    for (const wchar_t c : all) {
        if (c == L'\0' && parts.size() < 3) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    parts.resize(3);
    check_match(parts[0], parts[1]);
    check_match(parts[1], parts[0]);
    for (const std::wstring& part : parts) check_pinyin(part);
    check_order(parts[0], parts[1], parts[2]);
    return 0;
}
