// What the launcher window keeps of its last query, and the query itself:
// the typed text in, the rows of the result list out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "index/tolvanir_list.h"
#include "search/item_search.h"
#include "search/result_entry.h"
#include "search/result_list.h"

namespace tolvanir {

enum : std::int32_t { item_search_mode = 0, command_search_mode = 1 };

class launcher_query {
  public:
    // Fills shown results from a "!" query; the command table plugs in here.
    using command_search_fn = std::function<void(const std::wstring& query, shown_results&)>;

    explicit launcher_query(tolvanir_list& index) : index_(index) {}

    void set_command_search(command_search_fn search) { command_search_ = std::move(search); }

    // Normalises the typed text, runs the search with it and fills the list.
    // With `keep`, the row of the entry with that launch text is selected if
    // there is one, else the first row.
    void on_query_changed(const std::wstring& typed, result_list& list,
                          const std::wstring* keep = nullptr);
    // Takes an already normalised query.
    void run_search(const std::wstring& query, result_list& list,
                    const std::wstring* keep = nullptr);
    // The search alone, for a caller that fills the list itself: returns the
    // row to select, as above.
    int search(const std::wstring& typed, const std::wstring* keep = nullptr);

    [[nodiscard]] std::int32_t command_mode() const { return command_mode_; }
    [[nodiscard]] const shown_results& results() const { return shown_; }

  private:
    int search_normalized(const std::wstring& query, const std::wstring* keep);

    tolvanir_list& index_;
    item_search items_;
    command_search_fn command_search_;
    std::int32_t command_mode_ = item_search_mode;
    shown_results shown_;
};

}  // namespace tolvanir
