// One program item's texts as the index keeps them: a single block in a
// text arena (index/text_arena.h), in generalized UTF-8 (platform/utf8.h),
// about a quarter of four wide strings where wchar_t has 32 bits and half of
// them where it has 16. A block never changes once written; a packed item is
// a handle to one and is copied freely.
//
// The search text is kept with its ASCII capitals lowered, which is the form
// matching reads, and a bit per byte marks the capitals so that the text as
// stored comes back exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "index/program_item.h"
#include "index/text_arena.h"

namespace tolvanir {

class packed_item {
  public:
    packed_item() = default;
    packed_item(text_arena& arena, const program_item& item);
    // From texts already in generalized UTF-8 (the index file's loader);
    // with `search_characters`, which of a-z and 0-9 the search text holds,
    // found in the same pass (index/text_characters.h).
    packed_item(text_arena& arena, std::string_view display_name, std::string_view search_text,
                std::string_view path, std::string_view target,
                std::uint64_t* search_characters = nullptr);

    [[nodiscard]] bool empty() const { return block_ == nullptr; }
    // Asks the processor to fetch the start of the texts ahead of use: a walk
    // over items in index order jumps between blocks.
    void prefetch() const {
#if defined(__GNUC__)
        __builtin_prefetch(block_);
        __builtin_prefetch(block_ + 64);
#endif
    }

    [[nodiscard]] std::string_view display_name() const { return part(0); }
    // ASCII capitals lowered.
    [[nodiscard]] std::string_view folded_search_text() const { return part(1); }
    [[nodiscard]] std::string_view path() const { return part(2); }
    [[nodiscard]] std::string_view target() const { return part(3); }
    // The search text as stored, capitals and all, in generalized UTF-8.
    [[nodiscard]] std::string search_text() const;
    [[nodiscard]] program_item to_item(std::uint32_t use_count) const;
    // The bytes the block takes in its arena.
    [[nodiscard]] std::size_t size() const;

    // The same texts with another path, in `arena`.
    [[nodiscard]] packed_item with_path(text_arena& arena, std::string_view path) const;
    // The same block copied into `arena`.
    [[nodiscard]] packed_item copy_to(text_arena& arena) const;

  private:
    // Where each text ends, counted from the start of the block; the texts
    // follow the header back to back, then the search text's capitals.
    struct header {
        std::uint32_t end[4];
    };
    [[nodiscard]] const header& head() const { return *reinterpret_cast<const header*>(block_); }
    // Read for every item on every keystroke: kept inline.
    [[nodiscard]] std::string_view part(int which) const {
        if (block_ == nullptr) return {};
        const header& h = head();
        const std::uint32_t start = which == 0 ? sizeof(header) : h.end[which - 1];
        return std::string_view(block_ + start, h.end[which] - start);
    }
    void build(text_arena& arena, std::string_view display_name, std::string_view search_text,
               std::string_view path, std::string_view target, std::uint64_t* search_characters);

    const char* block_ = nullptr;
};

// What is tested of an item before its texts are read: for a query
// (index/text_characters.h), the characters of its search text and those
// its name's reading text can hold; for deduplication, a hash of its name
// and target, equal for items that may be duplicates.
struct item_digest {
    std::uint64_t search = 0;
    std::uint64_t reading = 0;
    std::uint32_t twins = 0;
};
[[nodiscard]] item_digest digest_of(const packed_item& item);
[[nodiscard]] item_digest digest_of(const packed_item& item, std::uint64_t search_characters);

// Items packed into an arena of their own, with their use counts and
// characters: what the index file gives before the index takes them over.
struct packed_items {
    void add(const program_item& item);
    // An item just packed into `texts`, whose texts are still in the cache.
    void push(const packed_item& item, std::uint32_t use_count);
    void push(const packed_item& item, std::uint32_t use_count, std::uint64_t search_characters);
    // Keeps the items whose flag is set, in order.
    void keep(const std::vector<bool>& kept);

    text_arena texts;
    std::vector<packed_item> items;
    std::vector<std::uint32_t> uses;
    std::vector<item_digest> digests;
    std::size_t let_go = 0;  // bytes of the arena that no item holds
};

}  // namespace tolvanir
