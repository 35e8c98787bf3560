// The "!" commands of the launcher and their Windows handlers.
#pragma once

#include <windows.h>

#include <vector>

#include "search/command_mode.h"

namespace tolvanir {

// about, exit, append, autorun_enable, autorun_disable: built once.
const std::vector<command>& command_table();

void show_about(window_ref window);
void request_exit(window_ref window);
void append_directory(window_ref window);

// A folder chosen by the user in a picker; false when none was.
bool pick_folder(wchar_t (&buffer)[MAX_PATH]);

}  // namespace tolvanir
