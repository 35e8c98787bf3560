#include "app/hotkey_filter.h"
#include "app/held_keys.h"
#include "app/key_order.h"

#include <gtest/gtest.h>

#include <vector>

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

std::vector<unsigned> vks(const std::vector<held_key>& keys) {
    std::vector<unsigned> out;
    for (const held_key& key : keys) out.push_back(key.up ? 1000 + key.vk : key.vk);
    return out;
}

// Between Win+R and the end of the show, keys are held and typed again in
// order; keys typed while those are on their way queue behind them.
TEST(HeldKeys, KeysAfterWinRWaitForTheShowAndKeepTheirOrder) {
    held_keys held;
    const auto key = [](unsigned vk, bool key_up = false) {
        held_key k;
        k.vk = vk;
        k.up = key_up;
        return k;
    };
    EXPECT_FALSE(held.hold(key('A'), 0)) << "nothing is held before a show";
    held.start(10);
    EXPECT_FALSE(held.hold(key(0x10, true), 11)) << "Shift: its key-down went on";
    EXPECT_TRUE(held.hold(key('B'), 12));
    EXPECT_TRUE(held.hold(key(vk_return), 13)) << "Enter too, behind the letter";
    EXPECT_TRUE(held.hold(key('B', true), 14));
    EXPECT_EQ(vks(held.release()), (std::vector<unsigned>{'B', vk_return, 1000 + 'B'}));
    EXPECT_TRUE(held.holding()) << "until they come back";
    EXPECT_TRUE(held.hold(key(vk_return, true), 15)) << "its key-down is on its way";
    EXPECT_TRUE(held.hold(key('C'), 16));
    EXPECT_FALSE(held.came_back());
    EXPECT_FALSE(held.came_back());
    EXPECT_TRUE(held.came_back()) << "the last one back: those held meanwhile follow";
    EXPECT_EQ(vks(held.release()), (std::vector<unsigned>{1000 + vk_return, 'C'}));
    held.not_sent(1);
    EXPECT_FALSE(held.came_back());
    EXPECT_FALSE(held.holding());
    EXPECT_FALSE(held.hold(key('C', true), 17));

    held.start(100);
    EXPECT_TRUE(held.hold(key('D'), 101));
    EXPECT_FALSE(held.hold(key('E'), 100 + held_keys::longest_ms + 1)) << "a show that never ends";
    EXPECT_FALSE(held.holding());
    EXPECT_TRUE(held.release().empty()) << "what it held is given up";
    held.start(200);
    for (std::size_t n = 0; n < held_keys::most; ++n) EXPECT_TRUE(held.hold(key('F'), 201));
    EXPECT_FALSE(held.hold(key('G'), 201));
    EXPECT_TRUE(held.release().size() == held_keys::most && held.holding());
}

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
