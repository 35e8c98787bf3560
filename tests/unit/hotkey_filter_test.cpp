#include "app/hotkey_filter.h"

#include <gtest/gtest.h>

#include "app/virtual_keys.h"

namespace tolvanir {
namespace {

key_event down(unsigned vk, bool win = false, bool in_front = false) {
    return {true, vk, win, in_front};
}
key_event up(unsigned vk) { return {false, vk, false, false}; }

TEST(HotkeyFilter, WinRTogglesOncePerPress) {
    bool latched = false;
    EXPECT_EQ(filter_key(down(vk_r, true, false), latched), hook_action::post_show);
    EXPECT_EQ(filter_key(down(vk_r, true, true), latched), hook_action::swallow) << "auto-repeat";
    EXPECT_EQ(filter_key(down(vk_r, true, true), latched), hook_action::swallow);
    EXPECT_EQ(filter_key(up(vk_r), latched), hook_action::pass);
    EXPECT_FALSE(latched);
    EXPECT_EQ(filter_key(down(vk_r, true, true), latched), hook_action::post_hide);
}

TEST(HotkeyFilter, KeysBelongToTheLauncherOnlyWhileItIsInFront) {
    const unsigned taken[] = {vk_tab, vk_return, vk_escape, vk_up, vk_down};
    for (const unsigned vk : taken) {
        bool latched = false;
        EXPECT_EQ(filter_key(down(vk, false, true), latched), hook_action::post_key) << vk;
        EXPECT_EQ(filter_key(down(vk, false, false), latched), hook_action::pass) << vk;
        EXPECT_EQ(filter_key(down(vk, true, true), latched), hook_action::post_key) << vk;
    }
    bool latched = false;
    EXPECT_EQ(filter_key(down('A', false, true), latched), hook_action::pass);
    EXPECT_EQ(filter_key(down(vk_r, false, true), latched), hook_action::pass)
        << "R alone is typing";
}

TEST(HotkeyFilter, SystemKeysAndKeyUpsPassAndClearTheLatch) {
    bool latched = true;
    // Alt+Win+R arrives as a system key: never caught.
    EXPECT_EQ(filter_key({false, vk_r, true, false}, latched), hook_action::pass);
    EXPECT_FALSE(latched);
}

}  // namespace
}  // namespace tolvanir
