// Opens a file, shortcut, folder, URL or program name with its default
// action, as the shell's Run box would; `elevated` asks to run it as
// administrator, as the Run box does for Ctrl+Shift+Enter.
//
// Windows: ShellExecuteExW with the default verb, or "runas"; the shell
// shows its own error messages, and a refused elevation is a refusal.
// POSIX: xdg-open (through pkexec when elevated), waited for, so its verdict
// is known.
//
// Either may take long (a network path, a slow shell extension, the
// elevation prompt): call it off the window thread.
#pragma once

#include <string>

namespace tolvanir {

// Whether the shell accepted the text.
[[nodiscard]] bool shell_open(const std::wstring& text, bool elevated = false);

}  // namespace tolvanir
