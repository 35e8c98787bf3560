// The paths the index knows, as chains of slot numbers by the hash of the
// path: the paths themselves stay in the slots, so a hundred thousand long
// paths are not stored twice. The caller holds the lock that guards it.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvanir {

class path_index {
  public:
    static constexpr std::uint32_t none = 0xFFFFFFFFu;

    void add(std::uint32_t slot, std::string_view path);
    void remove(std::uint32_t slot, std::string_view path);

    // Every slot whose path has the same hash as `path`; the caller compares
    // the paths themselves.
    template <typename Visit>
    void for_each_candidate(std::string_view path, Visit&& visit) const {
        const auto head = heads_.find(hash(path));
        if (head == heads_.end()) return;
        for (std::uint32_t slot = head->second; slot != none; slot = next_[slot]) visit(slot);
    }

  private:
    static std::uint64_t hash(std::string_view path) { return std::hash<std::string_view>()(path); }

    std::unordered_map<std::uint64_t, std::uint32_t> heads_;
    // By slot: the neighbours in its chain, so that any slot leaves in one step.
    std::vector<std::uint32_t> next_, previous_;
};

}  // namespace tolvanir
