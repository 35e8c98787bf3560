// One launchable program: a shortcut or executable found by scanning.
#pragma once

#include <cstdint>
#include <string>

namespace tolvanir {

struct program_item {
    std::wstring display_name;   // shown in the result list; the sort key
    std::wstring search_text;    // what queries match against
    std::wstring path;           // the file itself; identifies the item
    std::wstring target;         // a shortcut's expanded target, else empty
    std::int32_t use_count = 0;  // launches; read as unsigned by the ranking and the index file
};

}  // namespace tolvanir
