#include "search/search_snapshot.h"

#include "search/packed_match.h"

namespace tolvanir {

void search_snapshot::build(entry& e, const item_slot& slot) {
    e.stamp = slot.stamp;
    e.characters = characters_of(slot.text.folded_search_text());
}

}  // namespace tolvanir
