#include "search/search_snapshot.h"

namespace tolvanir {

void search_snapshot::refresh(const std::list<program_item>& items, std::uint64_t generation) {
    if (valid_ && generation == generation_) return;
    std::size_t size = 0, name_size = 0;
    for (const program_item& item : items) {
        size += item.search_text.size();
        name_size += item.display_name.size() + item.path.size();
    }
    buffer_.clear();
    buffer_.reserve(size);
    names_.clear();
    names_.reserve(name_size);
    rows_.clear();
    rows_.reserve(items.size());
    use_total_ = 100;
    for (const program_item& item : items) {
        const std::size_t offset = buffer_.size();
        for (wchar_t c : item.search_text) {
            buffer_.push_back(c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c);
        }
        const auto uses = static_cast<std::uint32_t>(item.use_count);
        use_total_ += uses;
        const std::size_t name_offset = names_.size();
        names_ += item.display_name;
        names_ += item.path;
        rows_.push_back({&item, offset, item.search_text.size(), name_offset,
                         item.display_name.size(), item.path.size(), uses});
    }
    generation_ = generation;
    valid_ = true;
}

}  // namespace tolvanir
