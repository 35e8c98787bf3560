// What the query keeps of each item between keystrokes: which letters and
// digits its texts hold, and the reading text of its name (index/reading_text.h),
// built once when the item first comes to the query and kept until its slot
// takes another item. Main thread only.
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
        std::uint64_t characters = 0;
        std::uint64_t reading_characters = 0;
        std::uint32_t reading_offset = 0;
        std::uint32_t reading_length = 0;  // 0: the name holds no Chinese
    };

    // Room for the entries of every slot of the table.
    void cover(const item_table& items) {
        if (entries_.size() < items.slot_count()) entries_.resize(items.slot_count());
    }
    // The entry for a slot, built anew when the slot holds another item.
    // Call with items_lock held (from tolvanir_list::read_items), after cover().
    const entry& at(std::uint32_t id, const item_slot& slot) {
        entry& e = entries_[id];
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

    std::vector<entry> entries_;  // by slot
    std::string readings_;
    std::size_t unused_ = 0;  // bytes of readings_ no entry points at any more
};

}  // namespace tolvanir
