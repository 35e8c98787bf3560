// The current user's start-at-logon entry for this program: one value that
// names the command the desktop runs at logon.
//
// Windows: the REG_SZ value "Tolvanir" of
// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run.
// POSIX: the Exec key of the [Desktop Entry] group of
// $XDG_CONFIG_HOME/autostart/Tolvanir.desktop (XDG_CONFIG_HOME defaults to
// $HOME/.config), the desktop's autostart convention. The value is stored in
// the entry's own quoting and escaping and read back the same, so the data
// round-trips whatever characters the path holds; an entry the desktop skips
// (Hidden=true) has no value.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tolvanir {

class autorun_store {
  public:
    virtual ~autorun_store() = default;

    // False when the store cannot be read at all, which counts as disabled.
    [[nodiscard]] virtual bool open_for_reading() = 0;
    // After open_for_reading(): the stored data, or nullopt when there is
    // none, it cannot be read, or it is longer than the store reads (on
    // Windows 259 characters, a MAX_PATH buffer).
    [[nodiscard]] virtual std::optional<std::wstring> read_value() = 0;

    // False when the value can be neither written nor deleted.
    [[nodiscard]] virtual bool open_for_writing() = 0;
    // After open_for_writing(). Whether the store took the change.
    virtual bool write_value(const std::wstring& data) = 0;
    virtual bool delete_value() = 0;

    // Releases whatever the open_* calls took; harmless when nothing is open.
    virtual void close() = 0;
};

// The current user's store, not yet opened.
std::unique_ptr<autorun_store> current_user_autorun_store();

// The data that starts this executable: its full, canonical path, in double
// quotes when it contains a space. Empty when the path is unknown or cannot
// be stated exactly (too long to quote within MAX_PATH on Windows, not UTF-8
// on POSIX): registering a truncated or unquoted path would start the wrong
// program.
std::wstring autorun_value_data();

}  // namespace tolvanir
