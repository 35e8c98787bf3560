#include "search/item_search.h"

#include <algorithm>
#include <cstdint>
#include <list>

#include "search/match_score.h"

namespace tolvanir {

namespace {

bool has_ascii_capital(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'A' && c <= L'Z'; });
}

}  // namespace

void item_search::run(tolvanir_list& index, const std::wstring& query, shown_results& results) {
    // The usage total counts the items before deduplication drops any.
    // Sorting an unchanged index would give the same order, and it is the
    // costly step, so it is skipped then.
    const bool resorted = index.is_changed();
    std::uint64_t total = 0;
    if (resorted) {
        total = index.usage_total();
        index.sort_and_dedupe();
    }
    // A normalised query has no ASCII capitals; anything else takes the
    // general comparison against the item's own text.
    const bool folded = !has_ascii_capital(query);

    index.read_items([&](const std::list<program_item>& items, std::uint64_t generation) {
        snapshot_.refresh(items, generation);
        if (!resorted) total = snapshot_.use_total();

        matches_.clear();
        for (const search_snapshot::row& row : snapshot_.rows()) {
            const double m = folded ? match_score_folded(query, snapshot_.folded_text(row))
                                    : match_score(query, row.item->search_text);
            if (m == 0.0) continue;
            matches_.push_back(
                {&row, m + static_cast<double>(row.uses) / static_cast<double>(total)});
        }
        std::stable_sort(
            matches_.begin(), matches_.end(),
            [](const scored_row& a, const scored_row& b) { return a.score > b.score; });
        // Entries are overwritten in place and surplus ones parked, so their
        // string buffers serve the next keystroke instead of being freed.
        while (results.size() > matches_.size()) {
            spare_.push_back(std::move(results.back()));
            results.pop_back();
        }
        while (results.size() < matches_.size() && !spare_.empty()) {
            results.push_back(std::move(spare_.back()));
            spare_.pop_back();
        }
        results.resize(matches_.size());
        for (std::size_t k = 0; k < matches_.size(); ++k) {
            const search_snapshot::row& row = *matches_[k].row;
            result_entry& entry = results[k];
            entry.shown_text.assign(snapshot_.display_name(row));
            entry.launch_text.assign(snapshot_.path(row));
            entry.score = matches_[k].score;
        }
    });
}

}  // namespace tolvanir
