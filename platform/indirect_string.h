// Indirect strings of the form "@module,-id", as Desktop.ini files name
// localized file names.
//
// Windows: the shell's loader (SHLWAPI ordinal 487). POSIX: our own reader
// of the module's string table (RT_STRING) in its PE resource section.
#pragma once

#include <string>

namespace tolvanir {

// The loaded text (at most 259 characters), empty when it cannot be loaded.
[[nodiscard]] std::wstring load_indirect_string(const std::wstring& source);

}  // namespace tolvanir
