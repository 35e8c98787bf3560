// When to try again to read a data file that another program holds: a backup,
// virus scan or sync at logon, when autorun starts us, can hold it for a few
// seconds or for minutes. Soon at first, then less and less often.
#pragma once

#include <chrono>

namespace tolvanir {

class retry_schedule {
  public:
    using duration = std::chrono::milliseconds;

    static constexpr duration first_wait{250};
    static constexpr duration longest_wait{8000};

    explicit retry_schedule(duration first = first_wait, duration longest = longest_wait)
        : next_(first), longest_(longest) {}

    // The wait before the next try: each is twice the one before, up to the
    // longest.
    duration next();

  private:
    duration next_;
    duration longest_;
};

// The same schedule read from a timer that ticks more often than it.
class retry_timer {
  public:
    using clock = std::chrono::steady_clock;

    explicit retry_timer(clock::time_point start, retry_schedule schedule = retry_schedule())
        : schedule_(schedule), due_(start + schedule_.next()) {}

    // Whether a try is due at `now`; when it is, the next one is scheduled.
    bool due(clock::time_point now);

  private:
    retry_schedule schedule_;
    clock::time_point due_;
};

}  // namespace tolvanir
