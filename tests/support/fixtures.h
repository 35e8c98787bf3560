// The committed binary fixtures: small PE files and shortcuts.
#pragma once

#include <boost/filesystem/path.hpp>
#include <string>

namespace tolvanir::testing {

inline boost::filesystem::path fixture(const char* kind, const char* name) {
    return (boost::filesystem::path(TOLVANIR_TEST_DATA_DIR) / ".." / "fixtures" / kind / name)
        .lexically_normal();
}

}  // namespace tolvanir::testing
