#include "index/text_arena.h"

#include <algorithm>

namespace tolvanir {

namespace {

constexpr std::size_t largest_chunk = std::size_t{1} << 20;

}  // namespace

char* text_arena::allocate(std::size_t size) {
    size = rounded(size);
    if (size > left_) {
        const std::size_t bytes = std::max(next_chunk_, size);
        next_chunk_ = std::min(2 * next_chunk_, largest_chunk);
        chunks_.emplace_back(new char[bytes]);
        at_ = chunks_.back().get();
        left_ = bytes;
    }
    char* const block = at_;
    at_ += size;
    left_ -= size;
    size_ += size;
    return block;
}

void text_arena::take_over(text_arena&& other) {
    // This arena's room stays the place for its next block; the other's is
    // given up.
    chunks_.insert(chunks_.end(), std::make_move_iterator(other.chunks_.begin()),
                   std::make_move_iterator(other.chunks_.end()));
    size_ += other.size_;
    other = text_arena();
}

}  // namespace tolvanir
