// The paths the index knows, as chains of slot numbers by the hash of the
// path: the paths themselves stay in the slots, so a hundred thousand long
// paths are not stored twice. The caller holds the lock that guards it.
//
// It also counts the known paths in each directory, so that a removal can
// tell at once whether anything lies below a path the index does not hold
// (a deleted temporary file) instead of walking every slot.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvanir {

class path_index {
  public:
    static constexpr std::uint32_t none = 0xFFFFFFFFu;

    static std::uint64_t hash(std::string_view path) { return std::hash<std::string_view>()(path); }

    // `key` is hash(path), for callers that look the same path up twice.
    void add(std::uint32_t slot, std::string_view path);
    // Room for `count` paths in all, so that a large load grows nothing.
    void reserve(std::size_t count);
    void remove(std::uint32_t slot, std::string_view path) { remove(slot, path, hash(path)); }
    void remove(std::uint32_t slot, std::string_view path, std::uint64_t key);

    // Every slot whose path has the same hash as `path`; the caller compares
    // the paths themselves.
    template <typename Visit>
    void for_each_candidate(std::string_view path, Visit&& visit) const {
        for_each_candidate(path, hash(path), visit);
    }
    template <typename Visit>
    void for_each_candidate(std::string_view, std::uint64_t full_key, Visit&& visit) const {
        if (heads_.empty()) return;
        const std::uint32_t key = short_key(full_key);
        for (std::size_t at = key & mask(); heads_[at].first != none; at = (at + 1) & mask()) {
            if (heads_[at].key != key) continue;
            for (std::uint32_t slot = heads_[at].first; slot != none; slot = next_[slot]) {
                visit(slot);
            }
            return;
        }
    }

    // False when no known path continues `prefix` past a separator, or
    // starts with it when it ends in one; true says only "maybe".
    [[nodiscard]] bool may_hold_below(std::string_view prefix) const;

  private:
    // A chain's head, in an open-addressed table probed linearly: one cache
    // line per lookup where a node-based map costs two misses. A chain holds
    // the slots whose paths share 32 bits of their hash: callers compare the
    // paths anyway.
    struct head {
        std::uint32_t key;
        std::uint32_t first = none;  // none: an empty place
    };
    static std::uint32_t short_key(std::uint64_t key) {
        return static_cast<std::uint32_t>(key >> 32);
    }
    [[nodiscard]] std::size_t mask() const { return heads_.size() - 1; }
    // The place of the chain for `key`, or the empty place where it would go.
    [[nodiscard]] std::size_t place_of(std::uint32_t key) const;
    void grow(std::size_t size);
    void erase_place(std::size_t at);
    // Counts `slot` in the directory of its path, or takes it out again; a
    // directory that gains its first path or loses its last changes the
    // counts of its ancestors.
    void enter_directory(std::uint32_t slot, std::string_view path);
    void leave_directory(std::uint32_t slot);
    void count_parts(std::string_view directory, int change);

    std::vector<head> heads_;  // a power of two in size, at most half full
    std::size_t chains_ = 0;
    // By slot: the neighbours in its chain, so that any slot leaves in one step.
    std::vector<std::uint32_t> next_, previous_;
    // Known paths by the part before their last separator.
    using directory_count = std::pair<const std::string, std::int64_t>;
    std::unordered_map<std::string, std::int64_t> in_directory_;
    directory_count* recent_ = nullptr;           // the last one entered
    std::vector<directory_count*> directory_of_;  // by slot; null for none
    std::string key_;                             // reused, so a lookup allocates nothing
    // Every part of those directories that ends before a separator, and the
    // directories themselves, by hash, with the number of directories that
    // have it. Two parts with one hash share a count, which can only make
    // may_hold_below say "maybe" where "no" was true.
    std::unordered_map<std::uint64_t, std::uint32_t> below_;
};

}  // namespace tolvanir
