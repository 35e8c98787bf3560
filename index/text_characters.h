// What a query tests before it reads an item's texts: which of a-z and 0-9
// a text holds, a bit each. A text that lacks one the query holds cannot
// match, which one comparison tells.
#pragma once

#include <cstdint>
#include <string_view>

namespace tolvanir {

// Of bytes in generalized UTF-8 with ASCII capitals lowered.
[[nodiscard]] std::uint64_t characters_of(std::string_view bytes);

// The bit of one byte of such a text, 0 for a byte that is none of them: a
// table, as a text's bytes are tested one by one on every load.
struct character_bit_table {
    constexpr character_bit_table() : bits() {
        for (int c = 'a'; c <= 'z'; ++c) bits[c] = std::uint64_t{1} << (c - 'a');
        for (int c = '0'; c <= '9'; ++c) bits[c] = std::uint64_t{1} << (26 + c - '0');
    }
    std::uint64_t bits[256];
};
inline constexpr character_bit_table character_bits{};

// Set, beside the characters, for a name that has a reading text.
constexpr std::uint64_t has_reading = std::uint64_t{1} << 63;

// Every character of a-z and 0-9 that the reading text of a display name
// (index/reading_text.h) can hold, its capitals lowered, with has_reading;
// 0 for a name that has none. Taken from the name alone, without reading it
// word by word. The name in generalized UTF-8.
[[nodiscard]] std::uint64_t reading_characters_of(std::string_view display_name);

}  // namespace tolvanir
