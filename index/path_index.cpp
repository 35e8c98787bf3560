#include "index/path_index.h"

namespace tolvanir {

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

// Where the last separator stands, or npos. (find_last_of with a set of two
// searches the set once for every byte of the path.)
std::size_t last_separator(std::string_view path) {
    for (std::size_t at = path.size(); at > 0; --at) {
        if (is_separator(path[at - 1])) return at - 1;
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t path_index::place_of(std::uint32_t key) const {
    std::size_t at = key & mask();
    while (heads_[at].first != none && heads_[at].key != key) at = (at + 1) & mask();
    return at;
}

void path_index::reserve(std::size_t count) {
    if (2 * count > heads_.size()) {
        std::size_t size = 64;
        while (size < 2 * count) size *= 2;
        grow(size);
    }
    if (next_.size() < count) {
        next_.reserve(count);
        previous_.reserve(count);
        directory_of_.reserve(count);
    }
}

void path_index::grow(std::size_t size) {
    std::vector<head> old(size);
    old.swap(heads_);
    for (const head& h : old) {
        if (h.first != none) heads_[place_of(h.key)] = h;
    }
}

// Backward-shift deletion: later places of the same run move up, so that
// no probe stops early at the hole.
void path_index::erase_place(std::size_t at) {
    heads_[at].first = none;
    for (std::size_t next = (at + 1) & mask(); heads_[next].first != none;
         next = (next + 1) & mask()) {
        const std::size_t home = heads_[next].key & mask();
        // Whether `home` lies cyclically outside (at, next]: then the entry
        // may fill the hole.
        const bool movable = at <= next ? (home <= at || home > next) : (home <= at && home > next);
        if (!movable) continue;
        heads_[at] = heads_[next];
        heads_[next].first = none;
        at = next;
    }
    --chains_;
}

void path_index::add(std::uint32_t slot, std::string_view path) {
    if (next_.size() <= slot) {
        next_.resize(slot + 1, none);
        previous_.resize(slot + 1, none);
        directory_of_.resize(slot + 1, nullptr);
    }
    if (2 * (chains_ + 1) > heads_.size()) grow(heads_.empty() ? 64 : 2 * heads_.size());
    const std::uint32_t key = short_key(hash(path));
    head& h = heads_[place_of(key)];
    if (h.first == none) {
        h.key = key;
        ++chains_;
    }
    next_[slot] = h.first;
    previous_[slot] = none;
    if (h.first != none) previous_[h.first] = slot;
    h.first = slot;
    enter_directory(slot, path);
}

void path_index::remove(std::uint32_t slot, std::string_view, std::uint64_t key) {
    if (heads_.empty()) return;
    const std::size_t at = place_of(short_key(key));
    head& h = heads_[at];
    if (h.first == none) return;
    const std::uint32_t next = next_[slot], previous = previous_[slot];
    if (previous != none) {
        next_[previous] = next;
    } else if (h.first == slot) {
        h.first = next;
    } else {
        return;  // not in this chain
    }
    if (next != none) previous_[next] = previous;
    next_[slot] = previous_[slot] = none;
    if (h.first == none) erase_place(at);
    leave_directory(slot);
}

void path_index::enter_directory(std::uint32_t slot, std::string_view path) {
    const std::size_t end = last_separator(path);
    if (end == std::string_view::npos) return;
    const std::string_view directory = path.substr(0, end);
    // Paths mostly come in runs from one directory.
    directory_count* found = recent_ != nullptr && recent_->first == directory ? recent_ : nullptr;
    if (found == nullptr) {
        key_.assign(directory.data(), directory.size());
        const auto at = in_directory_.find(key_);
        if (at != in_directory_.end()) {
            found = &*at;
        } else {
            found = &*in_directory_.emplace(key_, 0).first;
            count_parts(directory, 1);
        }
    }
    ++found->second;
    recent_ = found;
    directory_of_[slot] = found;
}

void path_index::leave_directory(std::uint32_t slot) {
    directory_count* const found = directory_of_[slot];
    if (found == nullptr) return;
    directory_of_[slot] = nullptr;
    if (--found->second != 0) return;
    if (recent_ == found) recent_ = nullptr;
    count_parts(found->first, -1);
    in_directory_.erase(in_directory_.find(found->first));
}

// The directory itself, and each part of it that ends before a separator.
void path_index::count_parts(std::string_view directory, int change) {
    for (std::size_t at = 0; at <= directory.size(); ++at) {
        if (at < directory.size() && !is_separator(directory[at])) continue;
        const std::uint64_t part = hash(directory.substr(0, at));
        if (change > 0) {
            ++below_[part];
        } else if (const auto counted = below_.find(part);
                   counted != below_.end() && --counted->second == 0) {
            below_.erase(counted);
        }
    }
}

bool path_index::may_hold_below(std::string_view prefix) const {
    // A prefix that ends in separators is continued by every path that
    // starts with it, and each of those has a separator after the rest.
    std::size_t size = prefix.size();
    while (size > 0 && is_separator(prefix[size - 1])) --size;
    if (size == 0) return !in_directory_.empty();
    return below_.count(hash(prefix.substr(0, size))) != 0;
}

}  // namespace tolvanir
