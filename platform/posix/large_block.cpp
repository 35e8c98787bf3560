#include "platform/large_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace tolvanir {

std::shared_ptr<char[]> large_block(std::size_t& bytes) {
    bytes = (bytes + large_block_from - 1) & ~(large_block_from - 1);
    void* memory = std::aligned_alloc(large_block_from, bytes);
    if (memory == nullptr) throw std::bad_alloc();
    // Only advice: where huge pages are off, the block is plain memory.
    madvise(memory, bytes, MADV_HUGEPAGE);
    return std::shared_ptr<char[]>(static_cast<char*>(memory), [](char* p) { std::free(p); });
}

void advise_large_pages(const void* at, std::size_t bytes) {
    const auto start = reinterpret_cast<std::uintptr_t>(at);
    const std::uintptr_t first = (start + large_block_from - 1) & ~(large_block_from - 1);
    const std::uintptr_t last = (start + bytes) & ~(large_block_from - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace tolvanir
