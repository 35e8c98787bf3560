// Test helper that sets a variable of the process environment, as
// expand_environment reads it.
#pragma once

#include <string>

namespace tolvanir::testing {

// Sets NAME to VALUE (not empty) for this process. False when it cannot.
bool set_environment_variable(const std::wstring& name, const std::wstring& value);

}  // namespace tolvanir::testing
