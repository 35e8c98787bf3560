#include "index/packed_item.h"

#include <cstring>

#include "platform/utf8.h"

namespace tolvanir {

namespace {

bool is_ascii_capital(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

packed_item::packed_item(const program_item& item) {
    std::string texts[4];
    const std::wstring* fields[4] = {&item.display_name, &item.search_text, &item.path,
                                     &item.target};
    for (int k = 0; k < 4; ++k) append_wtf8(texts[k], *fields[k]);
    build(texts[0], texts[1], texts[2], texts[3]);
}

packed_item::packed_item(std::string_view display_name, std::string_view search_text,
                         std::string_view path, std::string_view target) {
    build(display_name, search_text, path, target);
}

// Layout: header, the four texts back to back, then one bit per byte of the
// search text marking the capitals.
void packed_item::build(std::string_view display_name, std::string_view search_text,
                        std::string_view path, std::string_view target) {
    const std::string_view parts[4] = {display_name, search_text, path, target};
    std::size_t size = sizeof(header);
    for (const std::string_view part : parts) size += part.size();
    const std::size_t capital_bytes = (search_text.size() + 7) / 8;
    block_.reset(new char[size + capital_bytes]);
    header& h = *reinterpret_cast<header*>(block_.get());
    char* at = block_.get() + sizeof(header);
    for (int k = 0; k < 4; ++k) {
        std::memcpy(at, parts[k].data(), parts[k].size());
        at += parts[k].size();
        h.end[k] = static_cast<std::uint32_t>(at - block_.get());
    }
    auto* capitals = reinterpret_cast<unsigned char*>(at);
    std::memset(capitals, 0, capital_bytes);
    char* search = block_.get() + sizeof(header) + display_name.size();
    for (std::size_t i = 0; i < search_text.size(); ++i) {
        if (!is_ascii_capital(search[i])) continue;
        search[i] = static_cast<char>(search[i] + ('a' - 'A'));
        capitals[i / 8] |= static_cast<unsigned char>(1u << (i % 8));
    }
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

// The block copied around the new path: the search text stays folded and its
// capitals' bits stay as they are.
packed_item packed_item::with_path(std::string_view new_path) const {
    if (!block_) return packed_item(std::string_view(), std::string_view(), new_path, {});
    const header& old = head();
    const std::size_t before = old.end[1];  // the header, the name and the search text
    const std::size_t capital_bytes = (old.end[1] - old.end[0] + 7) / 8;
    const std::size_t rest = old.end[3] - old.end[2] + capital_bytes;  // target, capitals
    packed_item moved;
    moved.block_.reset(new char[before + new_path.size() + rest]);
    char* const at = moved.block_.get();
    std::memcpy(at, block_.get(), before);
    std::memcpy(at + before, new_path.data(), new_path.size());
    std::memcpy(at + before + new_path.size(), block_.get() + old.end[2], rest);
    header& h = *reinterpret_cast<header*>(at);
    h.end[2] = static_cast<std::uint32_t>(before + new_path.size());
    h.end[3] = static_cast<std::uint32_t>(h.end[2] + (old.end[3] - old.end[2]));
    return moved;
}

}  // namespace tolvanir
