#include "search/search_snapshot.h"

#include "index/reading_text.h"
#include "index/text_characters.h"
#include "platform/utf8.h"

namespace tolvanir {

namespace {

// Readings of items that left are dropped once the readings have doubled
// since the last time and are more than this.
constexpr std::size_t compact_from = 64 * 1024;

}  // namespace

void search_snapshot::build(entry& e, const item_slot& slot) {
    e = entry();
    e.stamp = slot.stamp;
    if (slot.digest.reading == 0) return;
    const std::wstring text = reading_text(from_wtf8(slot.text.display_name()));
    if (text.empty()) return;
    if (readings_.size() > compact_from && readings_.size() > 2 * kept_) compact();
    e.reading_offset = static_cast<std::uint32_t>(readings_.size());
    append_wtf8(readings_, text);
    for (std::size_t k = e.reading_offset; k < readings_.size(); ++k) {
        if (readings_[k] >= 'A' && readings_[k] <= 'Z') readings_[k] += 'a' - 'A';
    }
    e.reading_length = static_cast<std::uint32_t>(readings_.size() - e.reading_offset);
    e.reading_characters = characters_of(reading(e));
}

// The readings of the items still in their slots, moved to the front.
void search_snapshot::compact() {
    std::string kept;
    for (std::uint32_t id = 0; id < entry_of_.size(); ++id) {
        if (entry_of_[id] == none) continue;
        entry& e = entries_[entry_of_[id]];
        if (e.reading_length == 0) continue;
        if (id >= items_->slot_count() || items_->slot(id).stamp != e.stamp) {
            e = entry();
            continue;
        }
        const std::uint32_t offset = static_cast<std::uint32_t>(kept.size());
        kept.append(readings_, e.reading_offset, e.reading_length);
        e.reading_offset = offset;
    }
    readings_.swap(kept);
    kept_ = readings_.size();
}

}  // namespace tolvanir
