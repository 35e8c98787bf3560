#include "app/hotkey_filter.h"
#include "app/key_order.h"

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

namespace tolvanir {
namespace {

TEST(KeyOrder, AKeyTakesInExactlyTheInputPassedOnBeforeIt) {
    constexpr unsigned b = 'B', x = 'X', f9 = 0x78, lshift = 0xA0, shift = 0x10;
    key_order keys(7);
    keys.passed(lshift, false);
    keys.passed(b, false);
    keys.passed(f9, false);  // another program's hot key: never queued for us
    keys.passed(b, true);
    const key_order::posted_key enter = keys.post(vk_return, true, false);
    keys.passed(x, false);  // typed after Enter, in the same tick
    const auto claimed = keys.claim(vk_return, enter.tag);
    ASSERT_TRUE(claimed);
    EXPECT_TRUE(claimed->control && !claimed->shift);
    // The queue as the system delivers it: both shift keys are one there.
    const struct {
        unsigned vk;
        bool up, before;
    } queued[] = {{shift, false, true}, {b, false, true}, {b, true, true}, {x, false, false}};
    for (const auto& message : queued) {
        EXPECT_EQ(keys.typed_before(*claimed, message.vk, message.up), message.before)
            << message.vk;
        if (message.before) keys.took(message.vk, message.up);
    }
    keys.settled(*claimed);
    EXPECT_FALSE(keys.typed_before(*claimed, x, false)) << "x stays queued";
    EXPECT_TRUE(keys.typed_before(keys.post(vk_escape, false, false), x, false))
        << "x goes in before a key typed after it";
    EXPECT_TRUE(keys.typed_before(*claimed, 'Q', false)) << "a message the hook never saw";
}

TEST(KeyOrder, OnlyKeysTheHookPostedAreClaimed) {
    key_order keys(7);
    const key_order::posted_key lost = keys.post(vk_up, false, false);
    const key_order::posted_key down = keys.post(vk_down, false, false);
    EXPECT_FALSE(keys.claim(vk_return, 0)) << "posted by another program";
    EXPECT_FALSE(keys.claim(vk_return, down.tag)) << "another key's tag";
    EXPECT_FALSE(keys.claim(vk_down, down.tag ^ (std::uint64_t{1} << 40))) << "a guessed tag";
    EXPECT_TRUE(keys.claim(vk_down, down.tag));
    EXPECT_FALSE(keys.claim(vk_down, down.tag)) << "claimed twice";
    EXPECT_FALSE(keys.claim(vk_up, lost.tag)) << "its message never came before the next";
    const key_order::posted_key withdrawn = keys.post(vk_return, false, false);
    keys.withdraw(withdrawn);
    EXPECT_FALSE(keys.claim(vk_return, withdrawn.tag));
}

}  // namespace
}  // namespace tolvanir
