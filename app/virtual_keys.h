#pragma once

namespace tolvanir {

// The virtual-key codes the launcher reacts to (the system's values).
enum virtual_key : unsigned {
    vk_tab = 0x09,
    vk_return = 0x0D,
    vk_escape = 0x1B,
    vk_up = 0x26,
    vk_down = 0x28,
    vk_r = 0x52,
};

}  // namespace tolvanir
