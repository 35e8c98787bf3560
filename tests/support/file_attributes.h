// Test helpers that set what the operating system keeps beside a file.
#pragma once

#include <string>

namespace tolvanir::testing {

// Gives the file the DOS System attribute (on POSIX as Wine and Samba keep
// it: the user.DOSATTRIB extended attribute). False when it cannot.
bool set_system_attribute(const std::wstring& path);

}  // namespace tolvanir::testing
