#include "platform/stop_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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

std::intptr_t stop_event::native() const { return native_; }

}  // namespace tolvanir
