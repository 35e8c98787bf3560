#include "index/tolvanir_list.h"

#include <algorithm>
#include <cmath>

#include "index/text_hash.h"
#include "platform/large_block.h"
#include "platform/natural_compare.h"
#include "platform/utf8.h"

namespace tolvanir {

namespace {

using lock_t = boost::unique_lock<boost::mutex>;

bool is_separator(char c) { return c == '\\' || c == '/'; }

void prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#endif
}

// A path lies under a renamed or removed path when it is that path or
// continues it with a separator; "Games2" does not lie under "Games".
bool lies_under(std::string_view path, std::string_view prefix) {
    if (prefix.empty() || path.compare(0, prefix.size(), prefix) != 0) return false;
    return path.size() == prefix.size() || is_separator(path[prefix.size()]) ||
           is_separator(prefix.back());
}

std::string packed_path(const std::wstring& path) {
    std::string bytes;
    append_wtf8(bytes, path);
    return bytes;
}

bool same_item(const packed_item& a, const packed_item& b) {
    return a.display_name() == b.display_name() && a.target() == b.target();
}

std::string_view name_of(const std::vector<item_slot>& items, std::uint32_t id) {
    return items[id].text.display_name();
}

// The first sixteen bytes of a key, as two numbers that order as they do.
std::pair<std::uint64_t, std::uint64_t> key_prefix(std::string_view key) {
    std::uint64_t part[2] = {0, 0};
    for (std::size_t k = 0; k < 16; ++k) {
        part[k / 8] =
            (part[k / 8] << 8) | (k < key.size() ? static_cast<unsigned char>(key[k]) : 0u);
    }
    return {part[0], part[1]};
}

// The slots stably sorted by display name; `equal[k]` is set where the name
// sorts equal to the one before it. Where the platform makes sort keys, all
// of them go in one buffer; names with equal keys sort equal, so only the
// distinct keys are sorted, by their first sixteen bytes, then whole, and
// the slots are placed by their key's rank in the order they came. Else the
// names themselves are compared.
void sort_by_name(std::vector<std::uint32_t>& ids, const std::vector<item_slot>& items,
                  std::vector<char>& equal) {
    std::vector<std::uint32_t> rank(ids.size());
    for (std::size_t k = 0; k < ids.size(); ++k) rank[k] = static_cast<std::uint32_t>(k);
    equal.assign(ids.size(), 0);
    std::string keys;
    keys.reserve(32 * ids.size());  // about a name's bytes: not copied as it grows
    std::vector<std::size_t> key_end;
    key_end.reserve(ids.size());
    bool keyed = true;
    for (std::size_t k = 0; k < ids.size() && keyed; ++k) {
        keyed = append_natural_sort_key_packed(name_of(items, ids[k]), keys);
        key_end.push_back(keys.size());
    }
    if (keyed) {
        const auto key = [&](std::size_t k) {
            const std::size_t start = k == 0 ? 0 : key_end[k - 1];
            return std::string_view(keys).substr(start, key_end[k] - start);
        };
        // The distinct keys, each by the first slot that has it.
        constexpr std::uint32_t none = 0xFFFFFFFFu;
        std::vector<std::uint32_t> key_of(ids.size()), first_with;
        std::size_t size = 16;
        while (size < 2 * ids.size()) size *= 2;
        std::vector<std::uint32_t> table(size, none);
        for (std::size_t k = 0; k < ids.size(); ++k) {
            std::size_t at = hash_of(key(k)) & (size - 1);
            while (table[at] != none && key(first_with[table[at]]) != key(k))
                at = (at + 1) & (size - 1);
            if (table[at] == none) {
                table[at] = static_cast<std::uint32_t>(first_with.size());
                first_with.push_back(static_cast<std::uint32_t>(k));
            }
            key_of[k] = table[at];
        }
        struct ranked_key {
            std::pair<std::uint64_t, std::uint64_t> prefix;
            std::uint32_t id;
        };
        std::vector<ranked_key> distinct(first_with.size());
        for (std::uint32_t id = 0; id < distinct.size(); ++id) {
            distinct[id] = {key_prefix(key(first_with[id])), id};
        }
        std::sort(distinct.begin(), distinct.end(), [&](const ranked_key& a, const ranked_key& b) {
            if (a.prefix != b.prefix) return a.prefix < b.prefix;
            return key(first_with[a.id]) < key(first_with[b.id]);
        });
        // Where each key's slots start, in key order; slots with one key
        // keep the order they came in.
        std::vector<std::uint32_t> start(distinct.size() + 1, 0);
        for (std::size_t k = 0; k < ids.size(); ++k) ++start[key_of[k] + 1];
        std::vector<std::uint32_t> place(distinct.size());
        std::uint32_t next = 0;
        for (const ranked_key& d : distinct) {
            place[d.id] = next;
            next += start[d.id + 1];
        }
        for (std::size_t k = 0; k < ids.size(); ++k) {
            const std::uint32_t at = place[key_of[k]]++;
            rank[at] = static_cast<std::uint32_t>(k);
        }
        for (std::size_t k = 1; k < rank.size(); ++k)
            equal[k] = key_of[rank[k]] == key_of[rank[k - 1]];
    } else {
        std::vector<std::wstring> names(ids.size());
        for (std::size_t k = 0; k < ids.size(); ++k) {
            append_from_wtf8(names[k], name_of(items, ids[k]));
        }
        std::stable_sort(rank.begin(), rank.end(), [&](std::uint32_t a, std::uint32_t b) {
            return natural_compare(names[a], names[b]) < 0;
        });
        for (std::size_t k = 1; k < rank.size(); ++k) {
            equal[k] = natural_compare(names[rank[k - 1]], names[rank[k]]) == 0;
        }
    }
    std::vector<std::uint32_t> ranked(ids.size());
    for (std::size_t k = 0; k < rank.size(); ++k) ranked[k] = ids[rank[k]];
    ids.swap(ranked);
}

}  // namespace

std::uint32_t tolvanir_list::take_slot(packed_item text, std::uint32_t use_count,
                                       const item_digest& digest) {
    std::uint32_t id = 0;
    if (!free_slots.empty()) {
        id = free_slots.back();
        free_slots.pop_back();
    } else {
        id = static_cast<std::uint32_t>(items.size());
        items.emplace_back();
    }
    item_slot& slot = items[id];
    slot.text = std::move(text);
    slot.use_count = use_count;
    slot.digest = digest;
    slot.stamp = ++next_stamp;
    slot.in_order = true;
    if (paths_indexed) known_paths.add(id, slot.text.path());
    order.push_back(id);
    total += use_count;
    return id;
}

void tolvanir_list::free_slot(std::uint32_t id) {
    item_slot& slot = items[id];
    if (paths_indexed) known_paths.remove(id, slot.text.path());
    if (slot.in_order) total -= slot.use_count;
    drop_text(slot.text);
    slot = item_slot();
    free_slots.push_back(id);
}

void tolvanir_list::drop_text(const packed_item& text) { dropped_text += text.size(); }

// The texts in use copied, in index order, into a new arena; readers that
// hold shares of the old one go on reading it.
void tolvanir_list::compact_texts() {
    constexpr std::size_t compact_from = 1 << 20;
    if (dropped_text < compact_from || 2 * dropped_text < texts.size()) return;
    text_arena kept;
    std::vector<bool> copied(items.size(), false);
    for (const std::uint32_t id : order) {
        items[id].text = items[id].text.copy_to(kept);
        copied[id] = true;
    }
    for (std::uint32_t id = 0; id < items.size(); ++id) {
        if (!copied[id] && !items[id].text.empty()) items[id].text = items[id].text.copy_to(kept);
    }
    texts = std::move(kept);
    dropped_text = 0;
}

void tolvanir_list::drop_from_order(const std::vector<bool>& dropped) {
    std::size_t kept = 0, kept_sorted = 0;
    bool gap = false;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (dropped[order[k]]) {
            gap = gap || k < sorted;
            continue;
        }
        if (k < sorted) {
            ++kept_sorted;
            // The items on both sides of a gap are neighbours now, and may be equal.
            if (gap) recheck.push_back(order[k]);
            gap = false;
        }
        order[kept++] = order[k];
    }
    order.resize(kept);
    sorted = kept_sorted;
}

void tolvanir_list::insert_item(program_item item) {
    // Encoded before the locks are taken; only the copy into the arena is
    // made under them.
    std::string parts[4];
    const std::wstring* fields[4] = {&item.display_name, &item.search_text, &item.path,
                                     &item.target};
    for (int k = 0; k < 4; ++k) append_wtf8(parts[k], *fields[k]);
    // Both locks at once: a removal or rename between entering the path and
    // adding the item would leave an item whose path is not known.
    lock_t paths(known_paths_lock);
    lock_t lock(items_lock);
    const packed_item text(texts, parts[0], parts[1], parts[2], parts[3]);
    take_slot(text, static_cast<std::uint32_t>(item.use_count), digest_of(text));
    changed = true;
}

void tolvanir_list::index_paths() const {
    if (paths_indexed) return;
    std::size_t live = 0;
    for (const item_slot& slot : items) live += slot.text.empty() ? 0 : 1;
    known_paths.reserve(live);
    for (std::uint32_t id = 0; id < items.size(); ++id) {
        if (!items[id].text.empty()) known_paths.add(id, items[id].text.path());
    }
    paths_indexed = true;
}

void tolvanir_list::insert_packed(packed_items&& batch) {
    if (batch.items.empty()) return;
    lock_t paths(known_paths_lock);
    lock_t lock(items_lock);
    reserve_large(items, items.size() + batch.items.size());
    reserve_large(order, order.size() + batch.items.size());
    // A load is the most of the index: its paths are entered when needed.
    if (batch.items.size() >= items.size()) {
        known_paths = path_index();
        paths_indexed = false;
    }
    for (std::size_t k = 0; k < batch.items.size(); ++k) {
        take_slot(batch.items[k], batch.uses[k], batch.digests[k]);
    }
    // Items the caller left out still take room in the batch's arena.
    dropped_text += batch.let_go;
    texts.take_over(std::move(batch.texts));
    changed = true;
    compact_texts();
}

bool tolvanir_list::contains_path(const std::wstring& path) const {
    const std::string bytes = packed_path(path);
    lock_t paths(known_paths_lock);
    index_paths();
    bool found = false;
    known_paths.for_each_candidate(
        bytes, [&](std::uint32_t id) { found = found || items[id].text.path() == bytes; });
    return found;
}

void tolvanir_list::remove_path(const std::wstring& path) {
    const std::string bytes = packed_path(path);
    lock_t paths(known_paths_lock);
    index_paths();
    // The path itself and, for a removed directory (reported alone when it
    // goes to the Recycle Bin), every path below it.
    std::vector<std::uint32_t> gone;
    known_paths.for_each_candidate(bytes, [&](std::uint32_t id) {
        if (items[id].text.path() == bytes) gone.push_back(id);
    });
    // Most removals the watcher reports are of files the index never held,
    // and nothing lies below them: that is told without walking the slots.
    if (known_paths.may_hold_below(bytes)) {
        for (std::uint32_t id = 0; id < items.size(); ++id) {
            const std::string_view other = items[id].text.path();
            if (other.size() > bytes.size() && lies_under(other, bytes)) gone.push_back(id);
        }
    }
    if (gone.empty()) return;
    lock_t lock(items_lock);
    std::vector<bool> dropped(items.size(), false);
    for (const std::uint32_t id : gone) {
        dropped[id] = true;
        free_slot(id);
    }
    drop_from_order(dropped);
    changed = true;
    compact_texts();
}

void tolvanir_list::rename_path(const std::wstring& old_path, const std::wstring& new_path) {
    const std::string from = packed_path(old_path);
    const std::string to = packed_path(new_path);
    lock_t paths(known_paths_lock);
    index_paths();
    lock_t lock(items_lock);
    if (following_renames) renames.emplace_back(from, to);
    // A path a rename left is no longer known, not even through an item that
    // deduplication dropped: such items, found through the path's own chain,
    // go. They are not renamed, so whether they go now or after the walk
    // makes no difference.
    std::vector<std::uint32_t> dropped;
    std::string renamed;
    constexpr std::size_t ahead = 8;
    for (std::size_t k = 0; k < order.size(); ++k) {
        // The walk in index order jumps between slots and their texts: both
        // are fetched ahead, the slot first.
        if (k + 2 * ahead < order.size()) prefetch(&items[order[k + 2 * ahead]]);
        if (k + ahead < order.size()) items[order[k + ahead]].text.prefetch();
        const std::uint32_t id = order[k];
        item_slot& slot = items[id];
        const std::string_view old = slot.text.path();
        if (!lies_under(old, from)) continue;
        const std::uint64_t key = path_index::hash(old);
        known_paths.for_each_candidate(old, key, [&](std::uint32_t other) {
            const item_slot& candidate = items[other];
            if (!candidate.in_order && candidate.text.path() == old) dropped.push_back(other);
        });
        renamed.assign(to).append(old.substr(from.size()));
        known_paths.remove(id, old, key);
        drop_text(slot.text);
        slot.text = slot.text.with_path(texts, renamed);
        known_paths.add(id, slot.text.path());
        changed = true;
    }
    for (const std::uint32_t id : dropped) {
        if (!items[id].text.empty()) free_slot(id);  // once, though two old paths may name it
    }
    compact_texts();
}

void tolvanir_list::sort_and_dedupe() {
    lock_t lock(items_lock);
    changed = false;
    if (sorted == order.size() && recheck.empty()) return;

    // The items added since the last sort, stably sorted, are merged into the
    // sorted front; where keys are equal the front's items come first. That
    // is a stable sort of the whole list, at the cost of the new items only.
    std::vector<std::uint32_t> tail(order.begin() + static_cast<std::ptrdiff_t>(sorted),
                                    order.end());
    // Whether each new item sorts equal to the one before it: only such an
    // item can be a duplicate of a new item before it.
    std::vector<char> equal(tail.size(), 0);
    // New items mostly come in order (a saved index is sorted): check first.
    bool in_order = true;
    for (std::size_t k = 1; k < tail.size() && in_order; ++k) {
        const int c = natural_compare_packed(name_of(items, tail[k - 1]), name_of(items, tail[k]));
        in_order = c <= 0;
        equal[k] = c == 0;
    }
    if (!in_order) sort_by_name(tail, items, equal);
    std::vector<std::uint32_t> merged;
    // For each merged item: 0 for one of the front, else 1 plus whether it
    // follows the new item before it directly and sorts equal to it.
    std::vector<char> is_new;
    merged.reserve(order.size());
    is_new.reserve(order.size());
    const auto front_end = order.begin() + static_cast<std::ptrdiff_t>(sorted);
    // Few new items: find each one's place by binary search; many: walk.
    const bool search = tail.size() * std::log2(static_cast<double>(sorted) + 2) < sorted;
    auto at = order.begin();
    for (std::size_t t = 0; t < tail.size(); ++t) {
        auto place = at;
        if (at != front_end) {
            const std::string_view name = name_of(items, tail[t]);
            const auto before_old = [&](std::uint32_t old) {
                return natural_compare_packed(name, name_of(items, old)) < 0;
            };
            if (search) {
                place = std::partition_point(at, front_end,
                                             [&](std::uint32_t old) { return !before_old(old); });
            } else {
                while (place != front_end && !before_old(*place)) ++place;
            }
        }
        const bool after_new = place == at && t > 0;
        for (; at != place; ++at) {
            merged.push_back(*at);
            is_new.push_back(0);
        }
        merged.push_back(tail[t]);
        is_new.push_back(static_cast<char>(after_new && !equal[t] ? 2 : 1));
    }
    for (; at != front_end; ++at) {
        merged.push_back(*at);
        is_new.push_back(0);
    }

    // The first of a run of equal neighbours stays, with its own use count.
    // Only a new item can equal its predecessor (it was placed after every
    // item that does not sort after it, and the front had no equal
    // neighbours), or an item whose predecessor was removed since. A new
    // item right after another that it does not sort equal to has another
    // name than that one and whatever it duplicated.
    std::vector<bool> check(items.size(), false);
    for (const std::uint32_t id : recheck) check[id] = true;
    recheck.clear();
    order.clear();
    for (std::size_t k = 0; k < merged.size(); ++k) {
        item_slot& slot = items[merged[k]];
        const bool may_equal = is_new[k] == 1 || check[merged[k]];
        if (may_equal && !order.empty() && items[order.back()].digest.twins == slot.digest.twins &&
            same_item(items[order.back()].text, slot.text)) {
            slot.in_order = false;
            total -= slot.use_count;
            continue;
        }
        order.push_back(merged[k]);
    }
    sorted = order.size();
}

std::uint32_t tolvanir_list::total_use_count() const {
    return static_cast<std::uint32_t>(usage_total());  // the same sum, wrapped
}

std::uint64_t tolvanir_list::usage_total() const {
    lock_t lock(items_lock);
    return total;
}

bool tolvanir_list::is_changed() const {
    lock_t lock(items_lock);
    return changed;
}

void tolvanir_list::count_use(const std::wstring& path) {
    const std::string bytes = packed_path(path);
    lock_t paths(known_paths_lock);
    index_paths();
    bool known = false;
    known_paths.for_each_candidate(
        bytes, [&](std::uint32_t id) { known = known || items[id].text.path() == bytes; });
    if (!known) return;
    lock_t lock(items_lock);
    for (const std::uint32_t id : order) {
        item_slot& slot = items[id];
        if (slot.text.path() != bytes) continue;
        // Counted as the file stores it: unsigned, wrapping at 32 bits.
        total -= slot.use_count;
        ++slot.use_count;
        total += slot.use_count;
        return;
    }
}

void tolvanir_list::follow_renames() {
    lock_t paths(known_paths_lock);
    following_renames = true;
    renames.clear();
}

void tolvanir_list::merge_stored(packed_items&& batch, const std::vector<bool>& present) {
    lock_t paths(known_paths_lock);
    index_paths();
    lock_t lock(items_lock);
    following_renames = false;
    std::vector<std::pair<std::string, std::string>> renamed;
    renamed.swap(renames);
    std::vector<packed_item>& stored = batch.items;
    const std::vector<std::uint32_t>& uses = batch.uses;
    if (stored.empty()) return;
    // The stored texts become the index's; those that no slot takes are
    // counted as let go of once the merge is done.
    const std::size_t stored_size = batch.texts.size();
    texts.take_over(std::move(batch.texts));
    std::size_t taken_size = 0;

    constexpr std::uint32_t none = path_index::none;
    std::vector<std::uint32_t> position(items.size(), none);
    for (std::size_t k = 0; k < order.size(); ++k) {
        position[order[k]] = static_cast<std::uint32_t>(k);
    }
    // What becomes of each stored item: the slot it went into, or a new slot
    // (none), in stored order; the taken slots leave `order` and come back
    // at its end in this order, among the new ones.
    std::vector<bool> taken(items.size(), false);
    std::vector<std::pair<std::uint32_t, std::size_t>> placed;  // slot or none, stored item
    for (std::size_t k = 0; k < stored.size(); ++k) {
        std::string path(stored[k].path());
        for (const auto& [from, to] : renamed) {
            if (lies_under(path, from)) path = to + path.substr(from.size());
        }
        std::uint32_t best = none;
        known_paths.for_each_candidate(path, [&](std::uint32_t id) {
            const item_slot& slot = items[id];
            if (!slot.in_order || taken[id] || slot.text.path() != path) return;
            if (best == none || position[id] < position[best]) best = id;
        });
        if (best != none) {
            // The slot keeps its path, so known_paths stays as it is.
            item_slot& slot = items[best];
            drop_text(slot.text);
            if (path == stored[k].path()) {
                slot.text = stored[k];
                taken_size += slot.text.size();
            } else {
                slot.text = stored[k].with_path(texts, path);
            }
            slot.digest = batch.digests[k];
            total -= slot.use_count;
            slot.use_count += uses[k];  // wrapping at 32 bits, as counting does
            total += slot.use_count;
            slot.stamp = ++next_stamp;
            taken[best] = true;
            placed.emplace_back(best, k);
        } else if (path == stored[k].path() && present[k]) {
            placed.emplace_back(none, k);
        }
    }
    for (const auto& [id, k] : placed) {
        if (id == none) taken_size += stored[k].size();
    }
    dropped_text += stored_size - std::min(taken_size, stored_size);
    if (placed.empty()) {
        compact_texts();
        return;
    }
    drop_from_order(taken);
    for (const auto& [id, k] : placed) {
        if (id == none) {
            take_slot(stored[k], uses[k], batch.digests[k]);
        } else {
            order.push_back(id);
        }
    }
    changed = true;
    compact_texts();
}

std::vector<program_item> tolvanir_list::copy_items() const {
    lock_t lock(items_lock);
    std::vector<program_item> copies;
    copies.reserve(order.size());
    for (const std::uint32_t id : order)
        copies.push_back(items[id].text.to_item(items[id].use_count));
    return copies;
}

}  // namespace tolvanir
