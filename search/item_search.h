#pragma once

#include <string>

#include "index/tolvanir_list.h"
#include "search/result_entry.h"
#include "search/search_snapshot.h"

namespace tolvanir {

// Scores every item of the index against a normalised query and leaves the
// matches in the results, best first; equal scores keep display-name order.
class item_search {
  public:
    void run(tolvanir_list& index, const std::wstring& query, shown_results& results);

  private:
    struct scored_row {
        const search_snapshot::row* row;
        double score;
    };

    search_snapshot snapshot_;
    std::vector<scored_row> matches_;
    shown_results spare_;  // entries kept with their buffers between queries
};

}  // namespace tolvanir
