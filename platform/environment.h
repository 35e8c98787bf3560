// %VARIABLE% expansion.
//
// Windows: ExpandEnvironmentStringsW. POSIX: the same rules over the process
// environment: a name between percent signs is replaced by its value when
// the variable exists, left as it stands otherwise.
#pragma once

#include <string>

namespace tolvanir {

[[nodiscard]] std::wstring expand_environment(const std::wstring& text);

}  // namespace tolvanir
