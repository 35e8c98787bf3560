// A hash of texts for the index's own tables, eight bytes a step. Equal
// hashes are only a hint: the texts themselves are compared.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tolvanir {

inline std::uint64_t hash_of(std::string_view text) {
    constexpr std::uint64_t multiplier = 0x9E3779B97F4A7C15u;
    std::uint64_t h = text.size() * multiplier;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, 8);
        h = (h ^ word) * multiplier;
        h ^= h >> 29;
    }
    std::uint64_t rest = 0;
    std::memcpy(&rest, text.data() + at, text.size() - at);
    h = (h ^ rest) * multiplier;
    return h ^ (h >> 32);
}

}  // namespace tolvanir
