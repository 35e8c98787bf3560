#include "index/text_characters.h"

#include <algorithm>
#include <vector>

#include "index/pinyin_table.h"
#include "index/word_readings_table.h"

namespace tolvanir {

namespace {

std::uint64_t character_bit(wchar_t c) {
    if (c >= L'a' && c <= L'z') return std::uint64_t{1} << (c - L'a');
    if (c >= L'A' && c <= L'Z') return std::uint64_t{1} << (c - L'A');
    if (c >= L'0' && c <= L'9') return std::uint64_t{1} << (26 + c - L'0');
    return 0;
}

std::uint64_t syllable_characters(std::uint16_t syllable) {
    std::uint64_t found = 0;
    for (const wchar_t* c = pinyin_pool[syllable]; *c != L'\0'; ++c) found |= character_bit(*c);
    return found;
}

// For each ideograph, the characters of every syllable it can be read with:
// its own, the one it has outside words, any it has within a listed word,
// and the one it has at the end of a title.
std::vector<std::uint64_t> make_ideograph_characters() {
    std::vector<std::uint64_t> table(pinyin_entry_count);
    const auto add = [&](char16_t ch, std::uint16_t syllable) {
        table[ch - static_cast<char16_t>(pinyin_first)] |= syllable_characters(syllable);
    };
    for (std::size_t k = 0; k < pinyin_entry_count; ++k) {
        add(static_cast<char16_t>(pinyin_first + k), pinyin_table[k]);
    }
    for (std::size_t e = 0; e < reading_char_count; ++e) {
        const reading_char& entry = reading_chars[e];
        add(entry.ch, entry.syllable);
        const std::uint16_t* record = reading_words + entry.words;
        const std::uint16_t* const end = reading_words + reading_chars[e + 1].words;
        for (; record < end; record += 2 * record[0]) {
            const std::size_t length = record[0];
            for (std::size_t k = 0; k < length; ++k) {
                add(k == 0 ? entry.ch : static_cast<char16_t>(record[k]), record[length + k]);
            }
        }
    }
    for (std::size_t k = 0; k < final_reading_count; ++k) {
        add(final_readings[k].ch, final_readings[k].syllable);
    }
    return table;
}

}  // namespace

std::uint64_t characters_of(std::string_view bytes) {
    std::uint64_t found = 0;
    for (const char c : bytes) found |= character_bits.bits[static_cast<unsigned char>(c)];
    return found;
}

std::uint64_t reading_characters_of(std::string_view display_name) {
    std::uint64_t found = 0;
    bool ideograph = false;
    const auto* p = reinterpret_cast<const unsigned char*>(display_name.data());
    const auto* const end = p + display_name.size();
    // Most names hold no ideograph, so no reading: none of their bytes can
    // start one.
    if (std::none_of(p, end, [](unsigned char b) { return b >= 0xE4 && b <= 0xE9; })) return 0;
    while (p < end) {
        if (*p < 0x80) {
            found |= character_bit(static_cast<wchar_t>(*p++));
            continue;
        }
        // The ideographs are three bytes, E4 B8 80 to E9 BF 83; every other
        // character beyond ASCII is kept as it is and holds none of a-z, 0-9.
        const std::size_t length = *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : *p >= 0xC0 ? 2 : 1;
        if (length == 3 && end - p >= 3) {
            const std::uint32_t cp =
                ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
            if (cp >= static_cast<std::uint32_t>(pinyin_first) &&
                cp <= static_cast<std::uint32_t>(pinyin_last)) {
                static const std::vector<std::uint64_t> ideographs = make_ideograph_characters();
                found |= ideographs[cp - static_cast<std::uint32_t>(pinyin_first)];
                ideograph = true;
            }
        }
        p += length;
    }
    return ideograph ? found | has_reading : 0;
}

}  // namespace tolvanir
