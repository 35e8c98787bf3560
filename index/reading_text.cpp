#include "index/reading_text.h"

#include <algorithm>
#include <cstdint>

#include "index/pinyin_table.h"
#include "index/word_readings_table.h"

namespace tolvanir {

namespace {

bool is_ideograph(wchar_t ch) {
    // One unsigned comparison rejects code units below and above the range;
    // surrogate halves fall above it.
    return static_cast<std::uint32_t>(ch) - static_cast<std::uint32_t>(pinyin_first) <=
           static_cast<std::uint32_t>(pinyin_last - pinyin_first);
}

const reading_char* find_char(wchar_t ch) {
    const reading_char* end = reading_chars + reading_char_count;
    const reading_char* it =
        std::lower_bound(reading_chars, end, ch, [](const reading_char& entry, wchar_t key) {
            return entry.ch < static_cast<char16_t>(key);
        });
    return it != end && it->ch == static_cast<char16_t>(ch) ? it : nullptr;
}

// The longest listed word at name[at] among those `entry` starts, as a pointer
// to its record; null when none matches.
const std::uint16_t* match_word(const reading_char& entry, std::wstring_view name, std::size_t at) {
    const std::uint16_t* record = reading_words + entry.words;
    const std::uint16_t* const end = reading_words + (&entry + 1)->words;
    for (; record < end; record += 2 * record[0]) {
        const std::size_t length = record[0];
        if (length > name.size() - at) continue;
        std::size_t k = 1;
        while (k < length && static_cast<std::uint32_t>(name[at + k]) == record[k]) ++k;
        if (k == length) return record;
    }
    return nullptr;
}

// The reading `ch` takes where it ends a run of two or more ideographs on its
// own; null when it has none.
const std::uint16_t* find_final_reading(wchar_t ch) {
    const final_reading* end = final_readings + final_reading_count;
    const final_reading* it = std::find_if(final_readings, end, [ch](const final_reading& entry) {
        return entry.ch == static_cast<char16_t>(ch);
    });
    return it != end ? &it->syllable : nullptr;
}

}  // namespace

std::wstring reading_text(std::wstring_view display_name) {
    if (std::none_of(display_name.begin(), display_name.end(), is_ideograph)) return {};

    std::wstring out;
    // Readings average a little over three letters per character.
    out.reserve(display_name.size() * 4);
    // Forward maximum matching: at each character, the longest listed word
    // starting there. The generator keeps every word this needs to read as it
    // would against the whole source dictionary. That dictionary has no word
    // frequencies for a statistical segmentation, and program names are short
    // enough for the longest word to be nearly always the right one.
    std::size_t at = 0;
    std::size_t run_start = 0;
    while (at < display_name.size()) {
        const wchar_t ch = display_name[at];
        if (!is_ideograph(ch)) {
            out += ch;
            ++at;
            run_start = at;
            continue;
        }
        // A character alone at the end of its run, after others: the end of
        // a title, where U+4F20 names a saga (shuihuzhuan, the Water Margin)
        // unless a listed word took it (shangchuan, upload).
        if (at > run_start &&
            (at + 1 == display_name.size() || !is_ideograph(display_name[at + 1]))) {
            if (const std::uint16_t* syllable = find_final_reading(ch)) {
                out += pinyin_pool[*syllable];
                ++at;
                continue;
            }
        }
        const reading_char* entry = find_char(ch);
        if (entry == nullptr) {
            out += pinyin_pool[pinyin_table[ch - pinyin_first]];
            ++at;
            continue;
        }
        if (const std::uint16_t* word = match_word(*entry, display_name, at)) {
            const std::size_t length = word[0];
            for (std::size_t k = 0; k < length; ++k) out += pinyin_pool[word[length + k]];
            at += length;
        } else {
            out += pinyin_pool[entry->syllable];
            ++at;
        }
    }
    return out;
}

}  // namespace tolvanir
