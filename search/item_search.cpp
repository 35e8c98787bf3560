#include "search/item_search.h"

#include <algorithm>
#include <cstring>

#include "platform/utf8.h"
#include "search/match_score.h"

namespace tolvanir {

namespace {

void prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#endif
}

bool has_ascii_capital(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'A' && c <= L'Z'; });
}

// Highest score first, equal scores in the order they came in: a stable
// radix sort on the score's bits (a positive double orders as its bits do),
// which skips the bytes every score shares.
void sort_by_score(std::vector<item_search::scored>& rows,
                   std::vector<item_search::scored>& scratch) {
    const auto key = [](const item_search::scored& row) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &row.score, sizeof bits);
        return ~bits;  // descending
    };
    if (rows.size() < 2) return;
    std::uint64_t all_ones = ~std::uint64_t{0}, any_one = 0;
    for (const auto& row : rows) {
        all_ones &= key(row);
        any_one |= key(row);
    }
    scratch.resize(rows.size());
    // Sixteen bits a pass for many rows (four passes at most), eight for few,
    // whose count would cost more than the rows.
    const int bits = rows.size() >= 32768 ? 16 : 8;
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    std::vector<std::uint32_t> count((std::size_t{1} << bits) + 1);
    for (int shift = 0; shift < 64; shift += bits) {
        if ((((all_ones ^ any_one) >> shift) & mask) == 0) continue;  // one value here
        std::fill(count.begin(), count.end(), 0);
        for (const auto& row : rows) ++count[((key(row) >> shift) & mask) + 1];
        for (std::size_t b = 0; b + 1 < count.size(); ++b) count[b + 1] += count[b];
        for (const auto& row : rows) scratch[count[(key(row) >> shift) & mask]++] = row;
        rows.swap(scratch);
    }
}

}  // namespace

// The general comparison, for queries the packed texts cannot serve: one
// with ASCII capitals (not normalised) or with surrogates.
double item_search::score_of(const std::wstring& query, const item_slot& slot) const {
    return match_score(query, from_wtf8(slot.text.search_text()));
}

void item_search::run(tolvanir_list& index, const std::wstring& query, shown_results& results) {
    // The usage total counts the items before deduplication drops any.
    const std::uint64_t total = index.usage_total();
    if (index.is_changed()) index.sort_and_dedupe();
    packed_ = !has_ascii_capital(query) && pack_pattern(query, pattern_);

    index.read_items([&](const item_table& items) {
        matches_.clear();
        extras_.clear();
        never_launched_.clear();
        matches_.reserve(items.order().size());
        snapshot_.cover(items);
        const std::vector<std::uint32_t>& order = items.order();
        constexpr std::size_t ahead = 8;
        for (std::size_t k = 0; k < order.size(); ++k) {
            // Only the texts that will be read are fetched ahead: a text that
            // lacks a letter of the query is not.
            if (k + ahead < order.size() && !query.empty()) {
                const item_slot& next = items.slot(order[k + ahead]);
                if (!packed_ || (pattern_.characters & ~next.digest.search) == 0) {
                    next.text.prefetch();
                }
            }
            if (k + 2 * ahead < order.size()) prefetch(&items.slot(order[k + 2 * ahead]));
            const std::uint32_t id = order[k];
            const item_slot& slot = items.slot(id);
            const auto usage = [&] {
                return static_cast<double>(slot.use_count) / static_cast<double>(total);
            };
            double m = 0.0;
            if (query.empty()) {
                // Every text matches fully, so the usage term alone orders the
                // rows: those never launched score exactly 1 and follow all
                // others in index order, which needs no sorting.
                if (slot.use_count == 0) {
                    never_launched_.push_back({1.0, id});
                    continue;
                }
                m = 1.0;
            } else if (!packed_) {
                m = score_of(query, slot);
            } else if ((pattern_.characters & ~slot.digest.search) == 0) {
                m = match_score_packed(pattern_, slot.text.folded_search_text());
            }
            if (m != 0.0) {
                matches_.push_back({m + usage(), id});
                continue;
            }
            // The reading text is built only for a name whose reading can
            // hold every character of the query.
            const std::uint64_t reading = slot.digest.reading;
            if (reading == 0 || (packed_ && (pattern_.characters & ~reading) != 0)) continue;
            const search_snapshot::entry& entry = snapshot_.at(id, slot);
            if (entry.reading_length == 0) continue;
            if (packed_ && (pattern_.characters & ~entry.reading_characters) != 0) continue;
            const double r = packed_ ? match_score_packed(pattern_, snapshot_.reading(entry))
                                     : match_score(query, from_wtf8(snapshot_.reading(entry)));
            if (r != 0.0) extras_.push_back({r + usage(), id});
        }
        sort_by_score(matches_, scratch_);
        sort_by_score(extras_, scratch_);
        matches_.insert(matches_.end(), never_launched_.begin(), never_launched_.end());
        matches_.insert(matches_.end(), extras_.begin(), extras_.end());

        // The rows keep the texts as they are now; their entries are built
        // when read.
        results.clear();
        results.reserve(matches_.size());
        results.keep_texts(items.texts());
        for (std::size_t k = 0; k < matches_.size(); ++k) {
            if (k + ahead < matches_.size()) prefetch(&items.slot(matches_[k + ahead].id));
            results.push_item(items.slot(matches_[k].id).text, matches_[k].score);
        }
    });
}

}  // namespace tolvanir
