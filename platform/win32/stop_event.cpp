#include "platform/stop_event.h"

#include <windows.h>

#include <algorithm>

namespace tolvanir {

stop_event::stop_event()
    : native_(reinterpret_cast<std::intptr_t>(CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

stop_event::~stop_event() {
    if (native_ != 0) CloseHandle(reinterpret_cast<HANDLE>(native_));
}

void stop_event::set() { SetEvent(reinterpret_cast<HANDLE>(native_)); }

bool stop_event::is_set() const {
    return WaitForSingleObject(reinterpret_cast<HANDLE>(native_), 0) == WAIT_OBJECT_0;
}

bool stop_event::wait_for(std::chrono::milliseconds timeout) const {
    // Short of INFINITE: a wait without end is never meant here.
    const auto ms = static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1));
    return WaitForSingleObject(reinterpret_cast<HANDLE>(native_), ms) == WAIT_OBJECT_0;
}

std::intptr_t stop_event::native() const { return native_; }

}  // namespace tolvanir
