// The stop event: set once by the window thread when it shuts down; scans
// poll it, watchers wait on it together with their directory's changes, and
// threads that retry something later sleep on it.
//
// Windows: a manual-reset event (WaitForSingleObject). POSIX: an eventfd that
// stays readable once written (poll).
#pragma once

#include <chrono>
#include <cstdint>

namespace tolvanir {

class stop_event {
  public:
    stop_event();
    ~stop_event();
    stop_event(const stop_event&) = delete;
    stop_event& operator=(const stop_event&) = delete;

    void set();
    // A zero-time-out poll.
    [[nodiscard]] bool is_set() const;
    // Waits until the event is set or the time is up; true when it was set.
    [[nodiscard]] bool wait_for(std::chrono::milliseconds timeout) const;
    // The waitable object: a HANDLE on Windows, a file descriptor (as
    // intptr_t) on POSIX; for directory_watch only.
    [[nodiscard]] std::intptr_t native() const;

  private:
    std::intptr_t native_;
};

}  // namespace tolvanir
