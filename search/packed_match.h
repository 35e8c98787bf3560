// match_score over texts as the index keeps them: generalized UTF-8 with ASCII
// capitals lowered (index/packed_item.h). It gives the very scores
// match_score gives over the wide texts, counting the same wide units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "index/text_characters.h"

namespace tolvanir {

// A query prepared once for every item it is scored against.
struct packed_pattern {
    std::string bytes;
    std::size_t units = 0;  // its length in wide units
    std::uint64_t characters = 0;
};

// For a pattern without ASCII capitals; false when it holds a surrogate
// unit, which a packed text cannot be matched against unit by unit.
[[nodiscard]] bool pack_pattern(std::wstring_view pattern, packed_pattern& packed);

[[nodiscard]] double match_score_packed(const packed_pattern& pattern,
                                        std::string_view folded_text);

}  // namespace tolvanir
