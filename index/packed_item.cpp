#include "index/packed_item.h"

#include <cstring>

#include "index/text_characters.h"
#include "index/text_hash.h"
#include "platform/utf8.h"

namespace tolvanir {

namespace {

bool is_ascii_capital(char c) { return c >= 'A' && c <= 'Z'; }

std::size_t capital_bytes(std::size_t search_size) { return (search_size + 7) / 8; }

}  // namespace

packed_item::packed_item(text_arena& arena, const program_item& item) {
    std::string texts[4];
    const std::wstring* fields[4] = {&item.display_name, &item.search_text, &item.path,
                                     &item.target};
    for (int k = 0; k < 4; ++k) append_wtf8(texts[k], *fields[k]);
    build(arena, texts[0], texts[1], texts[2], texts[3], nullptr);
}

packed_item::packed_item(text_arena& arena, std::string_view display_name,
                         std::string_view search_text, std::string_view path,
                         std::string_view target, std::uint64_t* search_characters) {
    build(arena, display_name, search_text, path, target, search_characters);
}

// Layout: header, the four texts back to back, then one bit per byte of the
// search text marking the capitals.
void packed_item::build(text_arena& arena, std::string_view display_name,
                        std::string_view search_text, std::string_view path,
                        std::string_view target, std::uint64_t* search_characters) {
    const std::string_view parts[4] = {display_name, search_text, path, target};
    std::size_t size = sizeof(header);
    for (const std::string_view part : parts) size += part.size();
    const std::size_t capitals_size = capital_bytes(search_text.size());
    char* const block = arena.allocate(size + capitals_size);
    header& h = *reinterpret_cast<header*>(block);
    char* at = block + sizeof(header);
    for (int k = 0; k < 4; ++k) {
        std::memcpy(at, parts[k].data(), parts[k].size());
        at += parts[k].size();
        h.end[k] = static_cast<std::uint32_t>(at - block);
    }
    auto* capitals = reinterpret_cast<unsigned char*>(at);
    std::memset(capitals, 0, capitals_size);
    char* search = block + sizeof(header) + display_name.size();
    std::uint64_t found = 0;
    for (std::size_t i = 0; i < search_text.size(); ++i) {
        if (is_ascii_capital(search[i])) {
            search[i] = static_cast<char>(search[i] + ('a' - 'A'));
            capitals[i / 8] |= static_cast<unsigned char>(1u << (i % 8));
        }
        found |= character_bits.bits[static_cast<unsigned char>(search[i])];
    }
    if (search_characters != nullptr) *search_characters = found;
    block_ = block;
}

std::string packed_item::search_text() const {
    const std::string_view folded = folded_search_text();
    std::string text(folded);
    const auto* capitals =
        reinterpret_cast<const unsigned char*>(target().data() + target().size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((capitals[i / 8] >> (i % 8)) & 1u) text[i] = static_cast<char>(text[i] - ('a' - 'A'));
    }
    return text;
}

program_item packed_item::to_item(std::uint32_t use_count) const {
    program_item item;
    item.display_name = from_wtf8(display_name());
    item.search_text = from_wtf8(search_text());
    item.path = from_wtf8(path());
    item.target = from_wtf8(target());
    item.use_count = static_cast<std::int32_t>(use_count);
    return item;
}

std::size_t packed_item::size() const {
    if (block_ == nullptr) return 0;
    const header& h = head();
    return text_arena::rounded(h.end[3] + capital_bytes(h.end[1] - h.end[0]));
}

// The block copied around the new path: the search text stays folded and its
// capitals' bits stay as they are.
packed_item packed_item::with_path(text_arena& arena, std::string_view new_path) const {
    if (block_ == nullptr) return packed_item(arena, {}, {}, new_path, {});
    const header& old = head();
    const std::size_t before = old.end[1];  // the header, the name and the search text
    const std::size_t rest =
        old.end[3] - old.end[2] + capital_bytes(old.end[1] - old.end[0]);  // target, capitals
    char* const at = arena.allocate(before + new_path.size() + rest);
    std::memcpy(at, block_, before);
    std::memcpy(at + before, new_path.data(), new_path.size());
    std::memcpy(at + before + new_path.size(), block_ + old.end[2], rest);
    header& h = *reinterpret_cast<header*>(at);
    h.end[2] = static_cast<std::uint32_t>(before + new_path.size());
    h.end[3] = static_cast<std::uint32_t>(h.end[2] + (old.end[3] - old.end[2]));
    packed_item moved;
    moved.block_ = at;
    return moved;
}

packed_item packed_item::copy_to(text_arena& arena) const {
    packed_item copy;
    if (block_ == nullptr) return copy;
    const std::size_t bytes = size();
    char* const at = arena.allocate(bytes);
    std::memcpy(at, block_, bytes);
    copy.block_ = at;
    return copy;
}

item_digest digest_of(const packed_item& item) {
    return digest_of(item, characters_of(item.folded_search_text()));
}

item_digest digest_of(const packed_item& item, std::uint64_t search_characters) {
    const std::uint64_t twins = hash_of(item.display_name()) ^ (hash_of(item.target()) >> 1);
    return {search_characters, reading_characters_of(item.display_name()),
            static_cast<std::uint32_t>(twins)};
}

void packed_items::add(const program_item& item) {
    push(packed_item(texts, item), static_cast<std::uint32_t>(item.use_count));
}

void packed_items::push(const packed_item& item, std::uint32_t use_count) {
    push(item, use_count, characters_of(item.folded_search_text()));
}

void packed_items::push(const packed_item& item, std::uint32_t use_count,
                        std::uint64_t search_characters) {
    items.push_back(item);
    uses.push_back(use_count);
    digests.push_back(digest_of(item, search_characters));
}

void packed_items::keep(const std::vector<bool>& kept) {
    std::size_t at = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (!kept[k]) {
            let_go += items[k].size();
            continue;
        }
        items[at] = items[k];
        digests[at] = digests[k];
        uses[at++] = uses[k];
    }
    items.resize(at);
    uses.resize(at);
    digests.resize(at);
}

}  // namespace tolvanir
