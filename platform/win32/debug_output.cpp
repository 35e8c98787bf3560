#include "platform/debug_output.h"

#include <windows.h>

namespace tolvanir {

void debug_output(const std::wstring& line) {
    OutputDebugStringW((L"tolvanir: " + line + L"\n").c_str());
}

}  // namespace tolvanir
