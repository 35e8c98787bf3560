// Command mode: a "!" query lists the built-in commands whose labels match
// the rest of the text, and a picked row runs its command.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "search/result_entry.h"

namespace tolvanir {

// The launcher window's handle, as commands receive it.
using window_ref = void*;

struct command {
    std::wstring key;
    std::function<void(window_ref)> handler;
    std::function<bool(window_ref)> visible;  // empty: always listed
};

using label_fn = std::function<std::wstring(const std::wstring& key)>;

// The visible commands as (label, key), ordered by key.
std::vector<std::pair<std::wstring, std::wstring>> build_command_list(
    const std::vector<command>& table, window_ref window, const label_fn& label);

// Fills the results for a normalised query that starts with "!": the rest is
// matched against the labels, best first, equal scores in key order.
void command_search(const std::vector<command>& table, window_ref window, const label_fn& label,
                    const std::wstring& query, shown_results& results);

// Runs the command whose key is `key` exactly, whether or not it is listed
// now; typed text (not from the list) never runs a command.
void run_command(const std::vector<command>& table, window_ref window, bool from_list,
                 const std::wstring& key);

}  // namespace tolvanir
