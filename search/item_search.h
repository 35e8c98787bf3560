#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "index/tolvanir_list.h"
#include "search/packed_match.h"
#include "search/result_entry.h"
#include "search/search_snapshot.h"

namespace tolvanir {

// Scores every item of the index against a normalised query and leaves the
// matches in the results, best first; equal scores keep display-name order.
//
// After them come the extra rows: items that got no row, scored the same way
// against the reading text of their name (the pinyin of its words, where the
// search text has one reading per character), again best first.
class item_search {
  public:
    void run(tolvanir_list& index, const std::wstring& query, shown_results& results);

    struct scored {
        double score;
        std::uint32_t id;  // the item's slot
    };

  private:
    double score_of(const std::wstring& query, const item_slot& slot) const;

    search_snapshot snapshot_;
    packed_pattern pattern_;
    bool packed_ = false;  // the query can be matched against packed texts
    std::vector<scored> matches_, extras_, never_launched_, scratch_;
};

}  // namespace tolvanir
