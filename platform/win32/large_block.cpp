#include "platform/large_block.h"

namespace tolvanir {

std::shared_ptr<char[]> large_block(std::size_t& bytes) {
    return std::shared_ptr<char[]>(new char[bytes]);
}

void advise_large_pages(const void*, std::size_t) {}

}  // namespace tolvanir
