// When the next slice of a long result list goes in: at once when nothing
// else waits or the rows are wanted, else after the input and painting that
// do wait (posted messages would come before them; a timer's come after).
// One slice is due at a time.
#pragma once

#include <windows.h>

namespace tolvanir {

class fill_schedule {
  public:
    // The slice is due as `message` (with `tag` in lParam) or as `timer`.
    void bind(HWND window, UINT message, UINT_PTR timer, LPARAM tag) {
        window_ = window, message_ = message, timer_ = timer, tag_ = tag;
    }
    void schedule(bool urgent) {
        if (scheduled_ && !(by_timer_ && urgent)) return;
        KillTimer(window_, timer_);
        scheduled_ = true;
        by_timer_ = !urgent && HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)) != 0;
        if (by_timer_) {
            SetTimer(window_, timer_, USER_TIMER_MINIMUM, nullptr);
        } else {
            PostMessageW(window_, message_, 0, tag_);
        }
    }
    // The slice has come (its message or its timer); false for a message
    // another program posted.
    bool arrived(UINT message, WPARAM wparam, LPARAM lparam) {
        const bool ours =
            (message == message_ && lparam == tag_) || (message == WM_TIMER && wparam == timer_);
        if (!ours) return false;
        KillTimer(window_, timer_);
        scheduled_ = by_timer_ = false;
        return true;
    }
    [[nodiscard]] bool scheduled() const { return scheduled_; }

  private:
    HWND window_ = nullptr;
    UINT message_ = 0;
    UINT_PTR timer_ = 0;
    LPARAM tag_ = 0;
    bool scheduled_ = false;
    bool by_timer_ = false;
};

}  // namespace tolvanir
