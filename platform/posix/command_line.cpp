#include "platform/command_line.h"

#include <cstdio>
#include <stdexcept>

#include "platform/utf8.h"

namespace tolvanir {

std::vector<std::wstring> command_line_arguments(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        try {
            args.push_back(from_utf8(argv[i]));
        } catch (const std::range_error&) {
            args.push_back(
                std::wstring(argv[i], argv[i] + std::char_traits<char>::length(argv[i])));
        }
    }
    return args;
}

void write_stdout(const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }

}  // namespace tolvanir
