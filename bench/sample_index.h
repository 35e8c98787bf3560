#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "index/tolvanir_list.h"

namespace tolvanir::bench {

// Fills the index with `count` realistic items: English program names, Chinese
// names (with their pinyin), and mixed ones, in Start Menu style paths.
void fill_sample_index(tolvanir_list& index, std::size_t count);

// `count` display names of the same kinds, without building items.
[[nodiscard]] std::vector<std::wstring> sample_display_names(std::size_t count);

}  // namespace tolvanir::bench
