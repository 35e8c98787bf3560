#include "index/path_index.h"

namespace tolvanir {

void path_index::add(std::uint32_t slot, std::string_view path) {
    if (next_.size() <= slot) {
        next_.resize(slot + 1, none);
        previous_.resize(slot + 1, none);
    }
    std::uint32_t& head = heads_.emplace(hash(path), none).first->second;
    next_[slot] = head;
    previous_[slot] = none;
    if (head != none) previous_[head] = slot;
    head = slot;
}

void path_index::remove(std::uint32_t slot, std::string_view path) {
    const auto head = heads_.find(hash(path));
    if (head == heads_.end()) return;
    const std::uint32_t next = next_[slot], previous = previous_[slot];
    if (previous != none) {
        next_[previous] = next;
    } else if (head->second == slot) {
        head->second = next;
    } else {
        return;  // not in this chain
    }
    if (next != none) previous_[next] = previous;
    next_[slot] = previous_[slot] = none;
    if (head->second == none) heads_.erase(head);
}

}  // namespace tolvanir
