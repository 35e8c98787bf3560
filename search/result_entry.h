// The rows of a query's result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "index/packed_item.h"
#include "index/text_arena.h"

namespace tolvanir {

// One row of a query's result.
struct result_entry {
    std::wstring shown_text;   // an item's display name or a command's label
    std::wstring launch_text;  // an item's path or a command's key
    double score = 0.0;
};

// The rows of the last query, best first, read like a vector of result
// entries. The result list's item data point at launch texts in here, so
// nothing may change it until the next query; an entry stays where it is
// until then.
//
// A row of a program item keeps the item's packed texts as the query found
// them, with a share of their arena, so renames and removals after the
// query change nothing a row shows or launches. Its entry is built when the
// row is first read: a query of 100,000 rows builds no text that is never
// shown. Window thread only, since reading builds.
class shown_results {
  public:
    class const_iterator;
    using value_type = result_entry;
    using size_type = std::size_t;
    using iterator = const_iterator;

    shown_results() = default;
    shown_results(const shown_results& other);
    shown_results& operator=(const shown_results& other);
    shown_results(shown_results&&) noexcept = default;
    shown_results& operator=(shown_results&&) noexcept = default;

    [[nodiscard]] std::size_t size() const { return rows_.size(); }
    [[nodiscard]] bool empty() const { return rows_.empty(); }
    const result_entry& operator[](std::size_t k) const;
    const result_entry& front() const { return (*this)[0]; }
    const result_entry& back() const { return (*this)[size() - 1]; }
    [[nodiscard]] const_iterator begin() const;
    [[nodiscard]] const_iterator end() const;

    // Without building the row.
    [[nodiscard]] double score(std::size_t k) const { return rows_[k].score; }
    // A row of an item: its texts as the index keeps them; else null.
    [[nodiscard]] const packed_item* packed(std::size_t k) const {
        return rows_[k].item.empty() ? nullptr : &rows_[k].item;
    }
    // The first row whose launch text is `text`, or size(); no row is built.
    [[nodiscard]] std::size_t find_launch_text(const std::wstring& text) const;

    void clear();
    void push_back(result_entry entry);
    void assign(std::vector<result_entry>&& entries);
    // For rows of items: the arena whose chunks the rows keep a share of.
    void keep_texts(const text_arena& texts);
    void push_item(const packed_item& item, double score) { rows_.push_back({item, score}); }
    void reserve(std::size_t rows) { rows_.reserve(rows); }

  private:
    struct row {
        packed_item item;  // empty for a row given whole
        double score;
    };
    // Entries are built into blocks of this many, made when first needed.
    static constexpr std::size_t block_rows = 64;
    struct block {
        result_entry entries[block_rows];
        std::uint64_t built = 0;  // a bit per entry
    };
    block& block_of(std::size_t k) const;

    std::vector<row> rows_;
    std::vector<text_arena::chunk> texts_;
    mutable std::vector<std::unique_ptr<block>> blocks_;
};

class shown_results::const_iterator {
  public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = result_entry;
    using difference_type = std::ptrdiff_t;
    using pointer = const result_entry*;
    using reference = const result_entry&;

    const_iterator() = default;
    const_iterator(const shown_results* rows, std::size_t at) : rows_(rows), at_(at) {}

    reference operator*() const { return (*rows_)[at_]; }
    pointer operator->() const { return &(*rows_)[at_]; }
    reference operator[](difference_type n) const { return (*rows_)[at_ + n]; }
    const_iterator& operator++() { return ++at_, *this; }
    const_iterator operator++(int) { return {rows_, at_++}; }
    const_iterator& operator--() { return --at_, *this; }
    const_iterator operator--(int) { return {rows_, at_--}; }
    const_iterator& operator+=(difference_type n) { return at_ += n, *this; }
    const_iterator& operator-=(difference_type n) { return at_ -= n, *this; }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
        return static_cast<difference_type>(a.at_) - static_cast<difference_type>(b.at_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
        return a.at_ == b.at_;
    }
    friend bool operator!=(const const_iterator& a, const const_iterator& b) {
        return a.at_ != b.at_;
    }
    friend bool operator<(const const_iterator& a, const const_iterator& b) {
        return a.at_ < b.at_;
    }
    friend bool operator>(const const_iterator& a, const const_iterator& b) {
        return a.at_ > b.at_;
    }
    friend bool operator<=(const const_iterator& a, const const_iterator& b) {
        return a.at_ <= b.at_;
    }
    friend bool operator>=(const const_iterator& a, const const_iterator& b) {
        return a.at_ >= b.at_;
    }

  private:
    const shown_results* rows_ = nullptr;
    std::size_t at_ = 0;
};

inline shown_results::const_iterator shown_results::begin() const { return {this, 0}; }
inline shown_results::const_iterator shown_results::end() const { return {this, size()}; }

}  // namespace tolvanir
