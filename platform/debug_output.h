// A quiet diagnostic line for a developer, never shown to the user.
//
// Windows: OutputDebugStringW. POSIX: standard error.
#pragma once

#include <string>

namespace tolvanir {

void debug_output(const std::wstring& line);

}  // namespace tolvanir
