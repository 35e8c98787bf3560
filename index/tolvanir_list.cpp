#include "index/tolvanir_list.h"

#include <iterator>

#include "platform/natural_compare.h"

namespace tolvanir {

namespace {

using lock_t = boost::unique_lock<boost::mutex>;

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A path lies under a renamed path when it is that path or continues it with a
// separator; "Games2" does not lie under "Games".
bool lies_under(const std::wstring& path, const std::wstring& prefix) {
    if (prefix.empty() || path.compare(0, prefix.size(), prefix) != 0) return false;
    return path.size() == prefix.size() || is_separator(path[prefix.size()]) ||
           is_separator(prefix.back());
}

}  // namespace

void tolvanir_list::insert_item(program_item item) {
    // Both locks at once: a removal or rename between the two steps would
    // leave an item whose path is not known.
    lock_t paths(known_paths_lock);
    known_paths[item.path] = true;
    lock_t lock(items_lock);
    items.push_back(std::move(item));
    changed = true;
    ++generation;
}

bool tolvanir_list::contains_path(const std::wstring& path) const {
    lock_t paths(known_paths_lock);
    return known_paths.count(path) != 0;
}

void tolvanir_list::remove_path(const std::wstring& path) {
    lock_t paths(known_paths_lock);
    // The path itself and, for a removed directory (reported alone when it
    // goes to the Recycle Bin), every path below it.
    bool known = false;
    for (auto it = known_paths.lower_bound(path);
         it != known_paths.end() && it->first.compare(0, path.size(), path) == 0;) {
        if (lies_under(it->first, path)) {
            it = known_paths.erase(it);
            known = true;
        } else {
            ++it;
        }
    }
    if (!known) return;
    lock_t lock(items_lock);
    items.remove_if([&](const program_item& item) { return lies_under(item.path, path); });
    changed = true;
    ++generation;
}

void tolvanir_list::rename_path(const std::wstring& old_path, const std::wstring& new_path) {
    lock_t paths(known_paths_lock);
    lock_t lock(items_lock);
    for (program_item& item : items) {
        if (!lies_under(item.path, old_path)) continue;
        known_paths.erase(item.path);
        item.path.replace(0, old_path.size(), new_path);
        known_paths[item.path] = true;
        changed = true;
        ++generation;
    }
}

void tolvanir_list::sort_and_dedupe() {
    const auto before = [](const program_item& a, const program_item& b) {
        return natural_compare(a.display_name, b.display_name) < 0;
    };
    lock_t lock(items_lock);
    // Between sorts new items only stand at the end: sort that tail alone and
    // merge it in. Merging keeps equal keys of the sorted part first, so the
    // result is the same as a stable sort of the whole list.
    auto tail_start = items.begin();
    if (tail_start != items.end()) {
        for (auto next = std::next(tail_start); next != items.end() && !before(*next, *tail_start);
             ++next) {
            tail_start = next;
        }
        ++tail_start;
    }
    std::list<program_item> tail;
    tail.splice(tail.end(), items, tail_start, items.end());
    tail.sort(before);
    items.merge(tail, before);

    // The first of a run of equal neighbours stays, with its own use count.
    items.unique([](const program_item& kept, const program_item& next) {
        return kept.display_name == next.display_name && kept.target == next.target;
    });

    changed = false;
    ++generation;
}

std::uint32_t tolvanir_list::total_use_count() const {
    return static_cast<std::uint32_t>(usage_total());  // the same sum, wrapped
}

std::uint64_t tolvanir_list::usage_total() const {
    lock_t lock(items_lock);
    std::uint64_t total = 100;
    for (const program_item& item : items) total += static_cast<std::uint32_t>(item.use_count);
    return total;
}

bool tolvanir_list::is_changed() const {
    lock_t lock(items_lock);
    return changed;
}

void tolvanir_list::count_use(const std::wstring& path) {
    lock_t paths(known_paths_lock);
    if (known_paths.count(path) == 0) return;
    lock_t lock(items_lock);
    for (program_item& item : items) {
        if (item.path == path) {
            item.use_count =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(item.use_count) + 1u);
            ++generation;
            return;
        }
    }
}

}  // namespace tolvanir
