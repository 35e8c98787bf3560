// Where the running executable lives.
//
// Windows: GetModuleFileNameW into a MAX_PATH buffer. POSIX: /proc/self/exe.
#pragma once

#include <boost/filesystem/path.hpp>

namespace tolvanir {

// The full path of the running executable, or an empty path if unknown.
boost::filesystem::path executable_path();

}  // namespace tolvanir
