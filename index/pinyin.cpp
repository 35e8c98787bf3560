#include "index/pinyin.h"

#include "index/pinyin_table.h"

namespace tolvanir {

static_assert(pinyin_entry_count == static_cast<std::size_t>(pinyin_last - pinyin_first) + 1,
              "table size must match its code point range");

std::wstring to_pinyin(const std::wstring& text) {
    std::wstring out;
    // Readings average a little over three letters, so this avoids regrowth
    // for Han names; over-reserving for Latin names is cheap.
    out.reserve(text.size() * 3);
    for (wchar_t ch : text) {
        // Unsigned wrap-around makes one comparison reject code units both
        // below and above the range. On Windows, surrogate halves
        // (0xD800..0xDFFF) fall above it, so supplementary characters are
        // dropped there as on Linux.
        const std::uint32_t offset =
            static_cast<std::uint32_t>(ch) - static_cast<std::uint32_t>(pinyin_first);
        if (offset <= static_cast<std::uint32_t>(pinyin_last - pinyin_first)) {
            out += pinyin_pool[pinyin_table[offset]];
        }
    }
    return out;
}

}  // namespace tolvanir
