// A compact copy of the index's search texts for the scoring pass.
//
// Scoring walks every item on each keystroke; reading the texts from one
// contiguous buffer instead of chasing list nodes across the heap is what
// keeps a keystroke well under a millisecond at ten thousand items. The copy
// is rebuilt only when the index's generation moves.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "index/program_item.h"

namespace tolvanir {

class search_snapshot {
  public:
    struct row {
        const program_item* item;  // valid while the generation is unchanged
        std::size_t offset;        // of the folded search text in the buffer
        std::size_t length;
        std::size_t name_offset;  // of display name and path in the name buffer
        std::size_t name_length;
        std::size_t path_length;
        std::uint32_t uses;
    };

    // Call with items_lock held (from tolvanir_list::read_items).
    void refresh(const std::list<program_item>& items, std::uint64_t generation);

    [[nodiscard]] const std::vector<row>& rows() const { return rows_; }
    // 100 plus every use count, as tolvanir_list::usage_total.
    [[nodiscard]] std::uint64_t use_total() const { return use_total_; }
    // The search text with ASCII capitals lowered, so that a lower-cased
    // pattern matches it by plain equality.
    [[nodiscard]] std::wstring_view folded_text(const row& r) const {
        return std::wstring_view(buffer_.data() + r.offset, r.length);
    }

    // Copies of the display name and path, read when a match becomes a row.
    [[nodiscard]] std::wstring_view display_name(const row& r) const {
        return std::wstring_view(names_.data() + r.name_offset, r.name_length);
    }
    [[nodiscard]] std::wstring_view path(const row& r) const {
        return std::wstring_view(names_.data() + r.name_offset + r.name_length, r.path_length);
    }

  private:
    std::wstring buffer_;
    std::wstring names_;
    std::vector<row> rows_;
    std::uint64_t use_total_ = 100;
    std::uint64_t generation_ = 0;
    bool valid_ = false;
};

}  // namespace tolvanir
