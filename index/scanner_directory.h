#pragma once

#include <cstdint>
#include <string>

namespace tolvanir {

// One directory to scan, handed by value to its scanner thread.
struct scanner_directory {
    std::wstring directory;  // may hold %VARIABLES% and be relative to the program directory
    std::int32_t depth =
        0;  // levels scanned: 1 is the directory's own entries; 0 or less scans nothing
};

}  // namespace tolvanir
