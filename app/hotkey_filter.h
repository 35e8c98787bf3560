// The keyboard hook's decision for one key event, apart from the hook
// itself: constant work, no system calls, so it can be tested directly.
#pragma once

namespace tolvanir {

enum class hook_action { pass, swallow, post_show, post_hide, post_key };

struct key_event {
    bool key_down;           // WM_KEYDOWN; every other message clears the latch
    unsigned vk;             // the event's virtual-key code
    bool windows_key_held;   // the high bit of either Windows key's state
    bool launcher_in_front;  // the foreground window is the launcher window
};

// Win+R toggles the launcher once per press (auto-repeat is latched); Tab,
// Enter, Escape, Up and Down go to the launcher while it is in front.
// Everything else passes. The post_* actions also swallow the event.
hook_action filter_key(const key_event& event, bool& hotkey_latched);

}  // namespace tolvanir
