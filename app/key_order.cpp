#include "app/key_order.h"

#include <algorithm>

namespace tolvanir {

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
