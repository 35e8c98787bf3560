// What the fuzz targets share: a check that stops the run with a message, so
// libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <list>
#include <vector>

#include "index/tolvanir_list.h"

namespace tolvanir::fuzz {

inline void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

inline std::vector<program_item> items_of(const tolvanir_list& index) { return index.copy_items(); }

inline bool same_items(const std::vector<program_item>& a, const std::vector<program_item>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k].display_name != b[k].display_name || a[k].search_text != b[k].search_text ||
            a[k].path != b[k].path || a[k].target != b[k].target ||
            a[k].use_count != b[k].use_count) {
            return false;
        }
    }
    return true;
}

}  // namespace tolvanir::fuzz
