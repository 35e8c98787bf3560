#include "app/hotkey_filter.h"

#include "app/virtual_keys.h"

namespace tolvanir {

hook_action filter_key(const key_event& event, bool& hotkey_latched) {
    if (!event.key_down) {
        hotkey_latched = false;
        return hook_action::pass;
    }
    if (event.vk == vk_r && event.windows_key_held) {
        const bool first = !hotkey_latched;
        hotkey_latched = true;
        if (!first) return hook_action::swallow;
        return event.launcher_in_front ? hook_action::post_hide : hook_action::post_show;
    }
    switch (event.vk) {
        case vk_tab:
        case vk_return:
        case vk_escape:
        case vk_up:
        case vk_down:
            return event.launcher_in_front ? hook_action::post_key : hook_action::pass;
        default:
            return hook_action::pass;
    }
}

}  // namespace tolvanir
