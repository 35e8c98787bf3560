#include "platform/debug_output.h"

#include <cstdio>

namespace tolvanir {

void debug_output(const std::wstring& line) {
    std::fprintf(stderr, "tolvanir: %ls\n", line.c_str());
}

}  // namespace tolvanir
