// The program index shared by the window thread, scanners and watchers.
//
// Lock order: known_paths_lock before items_lock, whenever both are held.
//
// Items live in slots that keep their number for as long as the item lives;
// `order` lists the live slots in index order: ascending display name after
// sort_and_dedupe, with items added since then at the end. Texts are kept
// packed in one arena (index/packed_item.h). What is guarded by what:
// - a slot's texts, its being in use, the arena and the chains of known
//   paths change only with both locks held, so holding either lock reads
//   them safely;
// - `order`, use counts, `changed` and the usage total: items_lock.
#pragma once

#include <boost/thread/locks.hpp>
#include <boost/thread/mutex.hpp>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "index/packed_item.h"
#include "index/path_index.h"
#include "index/program_item.h"

namespace tolvanir {

struct item_slot {
    packed_item text;  // empty while the slot is free
    item_digest digest;
    std::uint32_t use_count = 0;
    // Changes whenever the slot takes another item, so that what a reader
    // derived from it can be kept until then.
    std::uint32_t stamp = 0;
    bool in_order = false;  // false for an item that deduplication dropped
};

// The items as a reader sees them, inside tolvanir_list::read_items.
class item_table {
  public:
    item_table(const std::vector<item_slot>& slots, const std::vector<std::uint32_t>& order,
               const text_arena& texts)
        : slots_(slots), order_(order), texts_(texts) {}

    // Slots in index order.
    [[nodiscard]] const std::vector<std::uint32_t>& order() const { return order_; }
    [[nodiscard]] const item_slot& slot(std::uint32_t id) const { return slots_[id]; }
    [[nodiscard]] std::size_t slot_count() const { return slots_.size(); }
    // Where the texts are: a share of its chunks keeps them readable.
    [[nodiscard]] const text_arena& texts() const { return texts_; }

  private:
    const std::vector<item_slot>& slots_;
    const std::vector<std::uint32_t>& order_;
    const text_arena& texts_;
};

class tolvanir_list {
  public:
    void insert_item(program_item item);
    // Inserts items already packed, in order, with both locks taken once;
    // the index takes over their arena.
    void insert_packed(packed_items&& items);
    [[nodiscard]] bool contains_path(const std::wstring& path) const;
    void remove_path(const std::wstring& path);
    void rename_path(const std::wstring& old_path, const std::wstring& new_path);
    void sort_and_dedupe();
    // 100 plus every use count, in 32-bit arithmetic.
    [[nodiscard]] std::uint32_t total_use_count() const;
    // The same sum without wrapping, which ranking divides by: counts edited
    // by hand can wrap the 32-bit sum to 0.
    [[nodiscard]] std::uint64_t usage_total() const;
    [[nodiscard]] bool is_changed() const;
    void count_use(const std::wstring& path);

    // From now until merge_stored, renames are remembered, so that stored
    // items read late follow the files the watchers saw renamed meanwhile.
    void follow_renames();
    // Merges items of the index file read late into a run that started
    // without them, as if they had been loaded at start. In stored order,
    // each stored path is first carried along the renames since
    // follow_renames; then
    // - where an item (not one deduplication dropped, not one this call
    //   already took) has that path, the first in index order takes the
    //   stored display name, search text and target, and the stored use count
    //   is added to its own; it then counts as newly inserted (at the end,
    //   until the next sort);
    // - else a stored path that no rename moved is inserted when `present`
    //   says its file is there;
    // - else it is dropped.
    // Stops following renames; sets changed when anything was merged.
    void merge_stored(packed_items&& stored, const std::vector<bool>& present);

    // Calls read(const item_table&) with items_lock held throughout, so no
    // other thread changes the items while it reads them.
    template <typename Reader>
    void read_items(Reader&& read) const {
        boost::unique_lock<boost::mutex> lock(items_lock);
        read(static_cast<const item_table&>(item_table(items, order, texts)));
    }

    // A copy of the items in index order.
    [[nodiscard]] std::vector<program_item> copy_items() const;

  private:
    std::uint32_t take_slot(packed_item text, std::uint32_t use_count, const item_digest& digest);
    void free_slot(std::uint32_t id);
    void drop_from_order(const std::vector<bool>& dropped);
    // A slot's texts are let go of; once most of the arena is texts let go
    // of, the rest moves to a new one.
    void drop_text(const packed_item& text);
    void compact_texts();

    std::vector<item_slot> items;
    text_arena texts;
    std::size_t dropped_text = 0;  // bytes of the arena no slot holds
    // After a load the table of known paths is made from the slots when it
    // is first needed, with known_paths_lock held: a tool that only queries
    // never needs it, and the launcher's first scanner makes it while the
    // window answers its first query.
    void index_paths() const;
    mutable path_index known_paths;
    mutable bool paths_indexed = true;
    mutable boost::mutex items_lock;        // guards order, use counts, changed, the total
    mutable boost::mutex known_paths_lock;  // guards known_paths (and see above)
    bool changed = false;

    std::vector<std::uint32_t> order;
    std::size_t sorted = 0;              // the front of `order` that sort_and_dedupe left
    std::vector<std::uint32_t> recheck;  // front items whose predecessor was removed
    std::vector<std::uint32_t> free_slots;
    std::uint32_t next_stamp = 0;
    std::uint64_t total = 100;

    // Guarded by known_paths_lock.
    bool following_renames = false;
    std::vector<std::pair<std::string, std::string>> renames;  // old path, new path
};

}  // namespace tolvanir
