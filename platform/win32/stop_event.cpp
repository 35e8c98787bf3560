#include "platform/stop_event.h"

#include <windows.h>

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

std::intptr_t stop_event::native() const { return native_; }

}  // namespace tolvanir
