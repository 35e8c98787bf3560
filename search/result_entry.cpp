#include "search/result_entry.h"

#include "platform/utf8.h"

namespace tolvanir {

shown_results::shown_results(const shown_results& other)
    : rows_(other.rows_), texts_(other.texts_) {
    blocks_.resize(other.blocks_.size());
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        if (other.blocks_[b]) blocks_[b] = std::make_unique<block>(*other.blocks_[b]);
    }
}

shown_results& shown_results::operator=(const shown_results& other) {
    if (this != &other) *this = shown_results(other);
    return *this;
}

shown_results::block& shown_results::block_of(std::size_t k) const {
    const std::size_t b = k / block_rows;
    if (blocks_.size() <= b) blocks_.resize(b + 1);
    if (!blocks_[b]) blocks_[b] = std::make_unique<block>();
    return *blocks_[b];
}

const result_entry& shown_results::operator[](std::size_t k) const {
    block& where = block_of(k);
    const std::uint64_t bit = std::uint64_t{1} << (k % block_rows);
    result_entry& entry = where.entries[k % block_rows];
    if ((where.built & bit) == 0) {
        const row& r = rows_[k];
        append_from_wtf8(entry.shown_text, r.item.display_name());
        append_from_wtf8(entry.launch_text, r.item.path());
        entry.score = r.score;
        where.built |= bit;
    }
    return entry;
}

std::size_t shown_results::find_launch_text(const std::wstring& text) const {
    std::string bytes;
    append_wtf8(bytes, text);
    for (std::size_t k = 0; k < rows_.size(); ++k) {
        const row& r = rows_[k];
        if (r.item.empty() ? (*this)[k].launch_text == text : r.item.path() == bytes) return k;
    }
    return rows_.size();
}

void shown_results::clear() {
    rows_.clear();
    texts_.clear();
    blocks_.clear();
}

void shown_results::push_back(result_entry entry) {
    const std::size_t k = rows_.size();
    rows_.push_back({packed_item(), entry.score});
    block& where = block_of(k);
    where.entries[k % block_rows] = std::move(entry);
    where.built |= std::uint64_t{1} << (k % block_rows);
}

void shown_results::assign(std::vector<result_entry>&& entries) {
    clear();
    for (result_entry& entry : entries) push_back(std::move(entry));
}

void shown_results::keep_texts(const text_arena& texts) { texts_ = texts.chunks(); }

}  // namespace tolvanir
