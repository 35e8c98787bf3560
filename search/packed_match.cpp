#include "search/packed_match.h"

#include <cstring>

#include "platform/utf8.h"
#include "search/match_score.h"

namespace tolvanir {

namespace {

std::size_t sequence_length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

}  // namespace

bool pack_pattern(std::wstring_view pattern, packed_pattern& packed) {
    packed.bytes.clear();
    packed.units = pattern.size();
    for (const wchar_t c : pattern) {
        const auto unit = static_cast<std::uint32_t>(c);
        if (sizeof(wchar_t) == 2 && unit >= 0xD800 && unit <= 0xDFFF) return false;
    }
    append_wtf8(packed.bytes, pattern);
    packed.characters = characters_of(packed.bytes);
    return true;
}

double match_score_packed(const packed_pattern& pattern, std::string_view folded_text) {
    if (pattern.bytes.empty()) return 1.0;
    const char* const begin = folded_text.data();
    const char* const end = begin + folded_text.size();
    const char* at = begin;
    const std::string& p = pattern.bytes;
    for (std::size_t i = 0; i < p.size();) {
        const std::size_t length = sequence_length(static_cast<unsigned char>(p[i]));
        // A lead byte starts a character wherever it stands: the first whole
        // match of the sequence is the first matching character.
        for (;;) {
            const auto* hit =
                static_cast<const char*>(std::memchr(at, p[i], static_cast<std::size_t>(end - at)));
            if (hit == nullptr || static_cast<std::size_t>(end - hit) < length) return 0.0;
            at = hit + 1;
            if (length == 1 || std::memcmp(hit + 1, p.data() + i + 1, length - 1) == 0) {
                at = hit + length;
                break;
            }
        }
        i += length;
    }
    std::size_t examined = 0;
    for (const char* c = begin; c != at; ++c)
        examined += wide_units_of(static_cast<unsigned char>(*c));
    return match_score_of(examined - pattern.units, examined);
}

}  // namespace tolvanir
