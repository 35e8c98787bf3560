// Memory for blocks of megabytes that are written through once (the texts
// of a large index). Where the system offers it, such a block is backed by
// large pages, so that filling it takes a few page faults instead of one
// for every 4 KB.
//
// POSIX: aligned to 2 MB and advised as huge pages. Windows: plain memory
// (large pages there need a privilege users lack).
#pragma once

#include <cstddef>
#include <memory>

namespace tolvanir {

// Blocks from this size on are worth backing by large pages.
constexpr std::size_t large_block_from = std::size_t{2} << 20;

// At least `bytes` bytes, rounded up in `bytes` to what the block holds.
[[nodiscard]] std::shared_ptr<char[]> large_block(std::size_t& bytes);

// Asks for large pages behind the part of [at, at + bytes) that they can
// cover: for a vector of megabytes, reserved and about to be filled.
void advise_large_pages(const void* at, std::size_t bytes);

// Room for `count` elements in `v`, behind large pages where it is large.
template <typename Vector>
void reserve_large(Vector& v, std::size_t count) {
    v.reserve(count);
    const std::size_t bytes = v.capacity() * sizeof(*v.data());
    if (bytes >= large_block_from) advise_large_pages(v.data(), bytes);
}

}  // namespace tolvanir
