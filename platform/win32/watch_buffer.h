// The buffer a change request asks for. The system's own limit is large, but
// a directory on a network share refuses any buffer beyond 64 KiB (the SMB
// protocol's limit) with ERROR_INVALID_PARAMETER.
#pragma once

#include <windows.h>

namespace tolvanir {

constexpr DWORD watch_buffer_size = 0x21800;
constexpr DWORD network_watch_buffer_size = 0x10000;

// The size to ask again with after a request of `size` failed with `error`;
// 0 when asking again cannot help.
constexpr DWORD smaller_watch_buffer(DWORD size, DWORD error) {
    return error == ERROR_INVALID_PARAMETER && size > network_watch_buffer_size
               ? network_watch_buffer_size
               : 0;
}

}  // namespace tolvanir
