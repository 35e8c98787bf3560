// Starting the program at logon: whether it is on, and switching it.
#pragma once

#include <functional>
#include <string>

#include "platform/autorun_store.h"

namespace tolvanir {

// Asks the user a yes/no question; returns message_box_result_* of
// platform/message_box.h.
using autorun_question = std::function<int(const std::wstring& text, unsigned flags)>;

// `path` in double quotes when it contains a space, otherwise unchanged, so
// that a command line names exactly this file.
[[nodiscard]] std::wstring quote_if_spaced(const std::wstring& path);

// Whether `store` holds `value_data`, compared case-insensitively as whole
// strings. A store that cannot be read, no value, or empty `value_data` (the
// executable is unknown) all count as disabled.
[[nodiscard]] bool is_autorun_enabled(autorun_store& store, const std::wstring& value_data);
[[nodiscard]] bool is_autorun_disabled(autorun_store& store, const std::wstring& value_data);

// Deletes the value when enabled, otherwise stores `value_data`. When the
// data lies under a "Temp" folder `ask` confirms first (the "autorun_tip"
// text), and "no" keeps it off. Does nothing when the store cannot be opened
// for writing, nor enables anything for empty `value_data`. Failures are not
// reported; the command's state shows the outcome.
void toggle_autorun(autorun_store& store, const std::wstring& value_data,
                    const autorun_question& ask);

// The same for this executable in the current user's store, asking with a
// message box.
[[nodiscard]] bool is_autorun_enabled();
[[nodiscard]] bool is_autorun_disabled();
void toggle_autorun();

}  // namespace tolvanir
