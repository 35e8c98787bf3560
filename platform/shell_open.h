// Opens a file, shortcut, folder, URL or program name with its default
// action, as the shell's Run box would.
//
// Windows: ShellExecuteExW with the default verb; the shell shows its own
// error messages. POSIX: xdg-open, waited for, so its verdict is known.
#pragma once

#include <string>

namespace tolvanir {

// Whether the shell accepted the text.
[[nodiscard]] bool shell_open(const std::wstring& text);

}  // namespace tolvanir
