// The program index shared by the window thread, scanners and watchers.
//
// Lock order: known_paths_lock before items_lock, whenever both are held.
#pragma once

#include <boost/thread/locks.hpp>
#include <boost/thread/mutex.hpp>
#include <cstdint>
#include <list>
#include <map>
#include <string>

#include "index/program_item.h"

namespace tolvanir {

class tolvanir_list {
  public:
    void insert_item(program_item item);
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

    // Calls read(const std::list<program_item>&, std::uint64_t generation)
    // with items_lock held throughout, so no other thread changes the items
    // while it reads them. The generation changes whenever an item is added,
    // removed, renamed, reordered or counted, so a reader may keep what it
    // derived from the items while the generation stays the same.
    template <typename Reader>
    void read_items(Reader&& read) const {
        boost::unique_lock<boost::mutex> lock(items_lock);
        read(static_cast<const std::list<program_item>&>(items), generation);
    }

  private:
    std::list<program_item> items;
    std::map<std::wstring, bool> known_paths;
    mutable boost::mutex items_lock;        // guards items and changed
    mutable boost::mutex known_paths_lock;  // guards known_paths
    bool changed = false;
    std::uint64_t generation = 0;  // guarded by items_lock
};

}  // namespace tolvanir
