// Where the index keeps its items' texts: blocks written once and never
// changed, many to an allocation, instead of an allocation per item.
//
// Whoever holds shares of the chunks (chunks()) may go on reading blocks
// after the index has let them go: a query's rows show and launch what it
// found, whatever happens to the items afterwards.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace tolvanir {

class text_arena {
  public:
    using chunk = std::shared_ptr<char[]>;

    text_arena() = default;
    // A copy would write its next blocks into room the original hands out
    // too; a moved-from arena starts afresh.
    text_arena(const text_arena&) = delete;
    text_arena& operator=(const text_arena&) = delete;
    text_arena(text_arena&& other) noexcept { *this = std::move(other); }
    text_arena& operator=(text_arena&& other) noexcept;

    // Room for a block of `size` bytes, aligned for a header of 32-bit
    // numbers. It stays where it is for as long as its chunk lives.
    char* allocate(std::size_t size);
    // Takes over the chunks of another arena, whose blocks stay where they are.
    void take_over(text_arena&& other);
    // Shares of every chunk.
    [[nodiscard]] const std::vector<chunk>& chunks() const { return chunks_; }
    // Bytes given out in blocks.
    [[nodiscard]] std::size_t size() const { return size_; }
    // What a block of `size` bytes takes.
    static constexpr std::size_t rounded(std::size_t size) { return (size + 3) & ~std::size_t{3}; }

  private:
    std::vector<chunk> chunks_;
    char* at_ = nullptr;
    std::size_t left_ = 0;
    std::size_t size_ = 0;
    // Chunks grow with the arena: a small index takes little, a large one is
    // made of few allocations.
    static constexpr std::size_t first_chunk = 4096;
    std::size_t next_chunk_ = first_chunk;
};

}  // namespace tolvanir
