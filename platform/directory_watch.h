// Change notification for a whole directory subtree.
//
// Windows: ReadDirectoryChangesW, overlapped, on a directory handle, with the
// outstanding request cancelled and completed before the buffer goes away.
// POSIX: inotify with a watch on every directory of the subtree (new
// directories are watched as they appear), delivering the same records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/stop_event.h"

namespace tolvanir {

enum change_action : std::uint32_t {
    change_added = 1,
    change_removed = 2,
    change_modified = 3,
    change_renamed_old_name = 4,
    change_renamed_new_name = 5,
};

struct change_record {
    std::uint32_t action;
    // Relative to the watched directory, parts joined with the platform's
    // preferred separator.
    std::wstring name;
};

class directory_watch {
public:
    virtual ~directory_watch() = default;

    // Null when the directory cannot be opened for watching.
    static std::unique_ptr<directory_watch> open(const std::wstring& directory);

    // Starts the next request for changes of file and directory names; false
    // when it could not be started (then only the stop event can end a wait).
    virtual bool request() = 0;

    // Waits until the stop event is set (false; it wins when both are ready)
    // or the outstanding request completed (true, its records in `records`,
    // none when the system lost track of changes).
    virtual bool wait(const stop_event& stop, std::vector<change_record>& records) = 0;
};

}  // namespace tolvanir
