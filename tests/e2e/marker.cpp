// A program for the launcher to start: it records that it ran, with its
// arguments, in "<its own path>.launched", and exits.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring record = std::wstring(self) + L".launched";
    FILE* file = _wfopen(record.c_str(), L"ab");
    if (file == nullptr) return 1;
    std::fwprintf(file, L"%ls\n", command_line);
    std::fclose(file);
    return 0;
}
