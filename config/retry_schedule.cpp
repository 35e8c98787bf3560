#include "config/retry_schedule.h"

#include <algorithm>

namespace tolvanir {

retry_schedule::duration retry_schedule::next() {
    const duration wait = std::min(next_, longest_);
    next_ = std::min(next_ * 2, longest_);
    return wait;
}

bool retry_timer::due(clock::time_point now) {
    if (now < due_) return false;
    due_ = now + schedule_.next();
    return true;
}

}  // namespace tolvanir
