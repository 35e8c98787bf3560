#pragma once

#include <string>
#include <vector>

namespace tolvanir {

// One row of a query's result.
struct result_entry {
    std::wstring shown_text;   // an item's display name or a command's label
    std::wstring launch_text;  // an item's path or a command's key
    double score = 0.0;
};

// The rows of the last query. The result list's item data point at the
// launch texts in here, so nothing may change it until the next query.
using shown_results = std::vector<result_entry>;

}  // namespace tolvanir
