#include "app/key_order.h"

#include <algorithm>

namespace tolvanir {

namespace {

// The hook sees the left and right modifier keys; their messages name both
// sides alike.
unsigned message_vk(unsigned vk) {
    switch (vk) {
        case 0xA0:
        case 0xA1:
            return 0x10;  // VK_SHIFT
        case 0xA2:
        case 0xA3:
            return 0x11;  // VK_CONTROL
        case 0xA4:
        case 0xA5:
            return 0x12;  // VK_MENU
        default:
            return vk;
    }
}

constexpr unsigned vk_processkey = 0xE5;  // an input method took the key

}  // namespace

void key_order::passed(unsigned vk, bool up) {
    if (in_flight_.size() == max_in_flight) in_flight_.pop_front();
    in_flight_.push_back({message_vk(vk), up, ++passed_});
}

std::deque<key_order::passed_event>::const_iterator key_order::find(unsigned vk, bool up) const {
    return std::find_if(in_flight_.begin(), in_flight_.end(), [&](const passed_event& e) {
        return e.up == up && (e.vk == vk || vk == vk_processkey);
    });
}

void key_order::took(unsigned vk, bool up) {
    const auto found = find(message_vk(vk), up);
    if (found != in_flight_.end()) in_flight_.erase(in_flight_.begin(), found + 1);
}

bool key_order::typed_before(const posted_key& key, unsigned vk, bool up) const {
    const auto found = find(message_vk(vk), up);
    return found == in_flight_.end() || found->number <= key.passed_before;
}

void key_order::settled(const posted_key& key) {
    while (!in_flight_.empty() && in_flight_.front().number <= key.passed_before) {
        in_flight_.pop_front();
    }
}

key_order::posted_key key_order::post(unsigned vk, bool control, bool shift) {
    posted_key key;
    key.vk = vk;
    key.tag = nonce_ | ++serial_;
    key.passed_before = passed_;
    key.control = control;
    key.shift = shift;
    // Messages that never come (a full queue) must not pile up.
    if (pending_.size() == max_pending) pending_.pop_front();
    pending_.push_back(key);
    return key;
}

void key_order::withdraw(const posted_key& key) {
    const auto found = std::find_if(pending_.begin(), pending_.end(),
                                    [&](const posted_key& k) { return k.tag == key.tag; });
    if (found != pending_.end()) pending_.erase(found);
}

std::optional<key_order::posted_key> key_order::claim(unsigned vk, std::uint64_t tag) {
    const auto found = std::find_if(pending_.begin(), pending_.end(), [&](const posted_key& k) {
        return k.tag == tag && k.vk == vk;
    });
    if (found == pending_.end()) return std::nullopt;
    const posted_key key = *found;
    pending_.erase(pending_.begin(), found + 1);
    return key;
}

}  // namespace tolvanir
