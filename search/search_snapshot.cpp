#include "search/search_snapshot.h"

#include "index/reading_text.h"
#include "platform/utf8.h"
#include "search/packed_match.h"

namespace tolvanir {

namespace {

// Readings of items that left are dropped once they are half of what is kept
// and more than this.
constexpr std::size_t compact_from = 64 * 1024;

// U+4E00..U+9FC3, where readings are, lies within E4 B8 80..E9 BF 83.
bool may_hold_chinese(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0xE4 && b <= 0xE9) return true;
    }
    return false;
}

}  // namespace

void search_snapshot::build(entry& e, const item_slot& slot) {
    unused_ += e.reading_length;
    e = entry();
    e.stamp = slot.stamp;
    e.characters = characters_of(slot.text.folded_search_text());
    const std::string_view name = slot.text.display_name();
    if (!may_hold_chinese(name)) return;
    const std::wstring text = reading_text(from_wtf8(name));
    if (text.empty()) return;
    if (unused_ > compact_from && unused_ > readings_.size() / 2) compact();
    e.reading_offset = static_cast<std::uint32_t>(readings_.size());
    append_wtf8(readings_, text);
    for (std::size_t k = e.reading_offset; k < readings_.size(); ++k) {
        if (readings_[k] >= 'A' && readings_[k] <= 'Z') readings_[k] += 'a' - 'A';
    }
    e.reading_length = static_cast<std::uint32_t>(readings_.size() - e.reading_offset);
    e.reading_characters = characters_of(reading(e));
}

// The readings still in use, moved to the front.
void search_snapshot::compact() {
    std::string kept;
    kept.reserve(readings_.size() - unused_);
    for (entry& e : entries_) {
        if (e.reading_length == 0) continue;
        const std::uint32_t offset = static_cast<std::uint32_t>(kept.size());
        kept.append(readings_, e.reading_offset, e.reading_length);
        e.reading_offset = offset;
    }
    readings_.swap(kept);
    unused_ = 0;
}

}  // namespace tolvanir
