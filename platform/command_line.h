// The program's arguments as wide strings.
//
// Windows: CommandLineToArgvW(GetCommandLineW()), so any script survives.
// POSIX: argv decoded from UTF-8.
#pragma once

#include <string>
#include <vector>

namespace tolvanir {

// The arguments after the program name.
std::vector<std::wstring> command_line_arguments(int argc, char** argv);

// Writes UTF-8 text to standard output unchanged (no newline translation).
void write_stdout(const std::string& utf8);

}  // namespace tolvanir
