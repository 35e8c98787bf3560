#include <windows.h>

#include "support/environment.h"

namespace tolvanir::testing {

bool set_environment_variable(const std::wstring& name, const std::wstring& value) {
    return SetEnvironmentVariableW(name.c_str(), value.c_str()) != FALSE;
}

}  // namespace tolvanir::testing
