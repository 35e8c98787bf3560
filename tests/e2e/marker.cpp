// A program for the launcher to start: it records that it ran, with its
// arguments, in "<its own path>.launched", and exits; with a first argument
// "/linger:MS", only after MS milliseconds, busy and not yet taking input, as
// a program that starts slowly.
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
    if (wcsncmp(command_line, L"/linger:", 8) == 0) Sleep(static_cast<DWORD>(_wtoi(command_line + 8)));
    return 0;
}
