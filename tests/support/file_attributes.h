// Test helpers that set what the operating system keeps beside a file.
#pragma once

#include <memory>
#include <string>

namespace tolvanir::testing {

// Gives the file the DOS System attribute (on POSIX as Wine and Samba keep
// it: the user.DOSATTRIB extended attribute). False when it cannot.
bool set_system_attribute(const std::wstring& path);

// Creates the file `odd.lnk` in the directory under a name that has no wide
// form: on POSIX the bytes "odd\xFF.lnk", which are not UTF-8. False where
// file names are wide already and every name has a wide form.
bool create_undecodable_file(const std::wstring& directory);

// Keeps the file unreadable for this process until the result goes, as
// another program holding it open without sharing does. Null where that
// cannot be done (POSIX as root, which reads whatever the mode says).
std::shared_ptr<void> hold_unreadable(const std::wstring& path);
// Grows the file past the size the program reads, which it meets as a file
// it cannot read, until the result goes; then the same file, under whatever
// names it has by then, gets its own bytes back. Works for any user.
std::shared_ptr<void> grow_unreadable(const std::wstring& path);

}  // namespace tolvanir::testing
