#include "support/environment.h"

#include <cstdlib>

#include "platform/utf8.h"

namespace tolvanir::testing {

bool set_environment_variable(const std::wstring& name, const std::wstring& value) {
    return ::setenv(to_utf8(name).c_str(), to_utf8(value).c_str(), 1) == 0;
}

}  // namespace tolvanir::testing
