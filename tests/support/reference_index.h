// The program index and its query written the plain way: a list of items, a
// map of known paths, a full stable sort and one dedupe pass per change, and
// every item scored on every query. The real index must give the same items,
// rows, scores and order; differential tests and a fuzzer hold it to that.
#pragma once

#include <algorithm>
#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "index/program_item.h"
#include "index/reading_text.h"
#include "platform/natural_compare.h"
#include "search/match_score.h"
#include "search/result_entry.h"

namespace tolvanir::testing {

class reference_index {
  public:
    void insert_item(const program_item& item) {
        known_[item.path] = true;
        items_.push_back(item);
        changed_ = true;
    }
    bool contains_path(const std::wstring& path) const { return known_.count(path) != 0; }
    void remove_path(const std::wstring& path) {
        bool known = false;
        for (auto it = known_.begin(); it != known_.end();) {
            known = known || under(it->first, path);
            it = under(it->first, path) ? known_.erase(it) : std::next(it);
        }
        if (!known) return;
        items_.remove_if([&](const program_item& item) { return under(item.path, path); });
        changed_ = true;
    }
    // The old paths are forgotten before the new ones are entered, so that a
    // new path that equals another item's old path stays known.
    void rename_path(const std::wstring& from, const std::wstring& to) {
        if (following_) renames_.emplace_back(from, to);
        std::vector<program_item*> renamed;
        for (program_item& item : items_) {
            if (!under(item.path, from)) continue;
            known_.erase(item.path);
            renamed.push_back(&item);
        }
        for (program_item* item : renamed) {
            item->path.replace(0, from.size(), to);
            known_[item->path] = true;
            changed_ = true;
        }
    }
    void sort_and_dedupe() {
        items_.sort([](const program_item& a, const program_item& b) {
            return natural_compare(a.display_name, b.display_name) < 0;
        });
        items_.unique([](const program_item& a, const program_item& b) {
            return a.display_name == b.display_name && a.target == b.target;
        });
        changed_ = false;
    }
    std::uint64_t usage_total() const {
        std::uint64_t total = 100;
        for (const program_item& item : items_) total += static_cast<std::uint32_t>(item.use_count);
        return total;
    }
    bool is_changed() const { return changed_; }
    void count_use(const std::wstring& path) {
        if (!contains_path(path)) return;
        for (program_item& item : items_) {
            if (item.path != path) continue;
            item.use_count =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(item.use_count) + 1);
            return;
        }
    }
    std::vector<program_item> items() const { return {items_.begin(), items_.end()}; }

    void follow_renames() {
        following_ = true;
        renames_.clear();
    }
    // A stored item, carried along the renames, replaces the first item with
    // its path and adds its count, or is appended when its file is there; the
    // merged items go to the end in stored order.
    void merge_stored(const std::vector<program_item>& stored, const std::vector<bool>& present) {
        following_ = false;
        std::list<program_item> merged;
        for (std::size_t k = 0; k < stored.size(); ++k) {
            std::wstring path = stored[k].path;
            for (const auto& [from, to] : renames_) {
                if (under(path, from)) path = to + path.substr(from.size());
            }
            const auto held =
                std::find_if(items_.begin(), items_.end(),
                             [&](const program_item& item) { return item.path == path; });
            if (held != items_.end()) {
                program_item item = stored[k];
                item.path = path;
                item.use_count =
                    static_cast<std::int32_t>(static_cast<std::uint32_t>(held->use_count) +
                                              static_cast<std::uint32_t>(item.use_count));
                items_.erase(held);
                merged.push_back(item);
            } else if (path == stored[k].path && present[k]) {
                known_[path] = true;
                merged.push_back(stored[k]);
            }
        }
        renames_.clear();
        if (merged.empty()) return;
        items_.splice(items_.end(), merged);
        changed_ = true;
    }

    // The rows of an item query: the matches best first, then the items with
    // no row that their name's reading text matches, best first.
    shown_results query(const std::wstring& normalized) {
        const double total = static_cast<double>(usage_total());
        sort_and_dedupe();
        std::vector<result_entry> rows, extras;
        for (const program_item& item : items_) {
            const double usage = static_cast<std::uint32_t>(item.use_count) / total;
            const double m = match_score(normalized, item.search_text);
            if (m != 0.0) {
                rows.push_back({item.display_name, item.path, m + usage});
                continue;
            }
            const std::wstring reading = reading_text(item.display_name);
            const double r = reading.empty() ? 0.0 : match_score(normalized, reading);
            if (r != 0.0) extras.push_back({item.display_name, item.path, r + usage});
        }
        const auto best_first = [](const result_entry& a, const result_entry& b) {
            return a.score > b.score;
        };
        std::stable_sort(rows.begin(), rows.end(), best_first);
        std::stable_sort(extras.begin(), extras.end(), best_first);
        rows.insert(rows.end(), extras.begin(), extras.end());
        shown_results shown;
        shown.assign(std::move(rows));
        return shown;
    }

  private:
    static bool under(const std::wstring& path, const std::wstring& prefix) {
        const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
        if (prefix.empty() || path.compare(0, prefix.size(), prefix) != 0) return false;
        return path.size() == prefix.size() || separator(path[prefix.size()]) ||
               separator(prefix.back());
    }

    std::list<program_item> items_;
    std::map<std::wstring, bool> known_;
    bool changed_ = false;
    bool following_ = false;
    std::vector<std::pair<std::wstring, std::wstring>> renames_;
};

}  // namespace tolvanir::testing
