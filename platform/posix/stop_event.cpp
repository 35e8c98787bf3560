#include "platform/stop_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <limits>
#include <system_error>

namespace tolvanir {

stop_event::stop_event() : native_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (native_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

stop_event::~stop_event() { ::close(static_cast<int>(native_)); }

void stop_event::set() {
    // Never read back: the counter stays non-zero, so the fd stays readable
    // for every waiter, like a manual-reset event. A full counter (EAGAIN)
    // is already set.
    const std::uint64_t one = 1;
    while (::write(static_cast<int>(native_), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool stop_event::is_set() const {
    pollfd fd{static_cast<int>(native_), POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&fd, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (fd.revents & POLLIN) != 0;
}

bool stop_event::wait_for(std::chrono::milliseconds timeout) const {
    using clock = std::chrono::steady_clock;
    const clock::time_point deadline =
        clock::now() + std::max(timeout, std::chrono::milliseconds(0));
    for (;;) {
        // Rounded up, so that a wait never ends before its time.
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now()).count();
        pollfd fd{static_cast<int>(native_), POLLIN, 0};
        const int ready = ::poll(
            &fd, 1,
            static_cast<int>(std::clamp<std::int64_t>(left, 0, std::numeric_limits<int>::max())));
        if (ready > 0) return (fd.revents & POLLIN) != 0;
        if (ready < 0 && errno != EINTR) return false;
        // Interrupted, or woken a little early: wait for what is left.
        if (clock::now() >= deadline) return is_set();
    }
}

std::intptr_t stop_event::native() const { return native_; }

}  // namespace tolvanir
