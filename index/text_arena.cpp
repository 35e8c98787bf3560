#include "index/text_arena.h"

#include <algorithm>
#include <utility>

#include "platform/large_block.h"

namespace tolvanir {

namespace {

// Two large blocks: a large index fills them with few page faults.
constexpr std::size_t largest_chunk = 2 * large_block_from;

}  // namespace

text_arena& text_arena::operator=(text_arena&& other) noexcept {
    if (this == &other) return *this;
    chunks_ = std::move(other.chunks_);
    other.chunks_.clear();
    at_ = std::exchange(other.at_, nullptr);
    left_ = std::exchange(other.left_, 0);
    size_ = std::exchange(other.size_, 0);
    next_chunk_ = std::exchange(other.next_chunk_, first_chunk);
    return *this;
}

char* text_arena::allocate(std::size_t size) {
    size = rounded(size);
    if (size > left_) {
        std::size_t bytes = std::max(next_chunk_, size);
        next_chunk_ = std::min(2 * next_chunk_, largest_chunk);
        if (bytes >= large_block_from) {
            chunks_.push_back(large_block(bytes));
        } else {
            chunks_.emplace_back(new char[bytes]);
        }
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
