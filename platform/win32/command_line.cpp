#include "platform/command_line.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

namespace tolvanir {

std::vector<std::wstring> command_line_arguments(int, char**) {
    std::vector<std::wstring> args;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

void write_stdout(const std::string& utf8) {
    static const int binary = _setmode(_fileno(stdout), _O_BINARY);
    (void)binary;
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace tolvanir
