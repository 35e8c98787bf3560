// What the query keeps of each item between keystrokes: the reading text of
// its name (index/reading_text.h), built when a query first needs it and
// kept until the slot takes another item. Most queries need few: an item
// that matches by its search text needs none, nor one whose reading cannot
// hold the query's characters (item_slot::digest). Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "index/tolvanir_list.h"

namespace tolvanir {

class search_snapshot {
  public:
    struct entry {
        std::uint32_t stamp = 0;  // of the item this was built for; 0 for none
        std::uint32_t reading_offset = 0;
        std::uint32_t reading_length = 0;  // 0: the name has no reading text
        std::uint64_t reading_characters = 0;
    };

    // Room for the entries of every slot of the table, which later calls
    // read until the next cover().
    void cover(const item_table& items) {
        if (entry_of_.size() < items.slot_count()) entry_of_.resize(items.slot_count(), none);
        items_ = &items;
    }
    // The entry for a slot, built anew when the slot holds another item.
    // Call with items_lock held (from tolvanir_list::read_items), after cover().
    const entry& at(std::uint32_t id, const item_slot& slot) {
        if (entry_of_[id] == none) {
            entry_of_[id] = static_cast<std::uint32_t>(entries_.size());
            entries_.emplace_back();
        }
        entry& e = entries_[entry_of_[id]];
        if (e.stamp != slot.stamp) build(e, slot);
        return e;
    }

    // The reading text with ASCII capitals lowered, in generalized UTF-8.
    [[nodiscard]] std::string_view reading(const entry& e) const {
        return std::string_view(readings_.data() + e.reading_offset, e.reading_length);
    }

  private:
    void build(entry& e, const item_slot& slot);
    void compact();

    static constexpr std::uint32_t none = 0xFFFFFFFFu;
    // Only the few items whose reading a query needed have an entry.
    std::vector<std::uint32_t> entry_of_;  // by slot
    std::vector<entry> entries_;
    std::string readings_;
    std::size_t kept_ = 0;  // the size of readings_ after the last compaction
    const item_table* items_ = nullptr;
};

}  // namespace tolvanir
