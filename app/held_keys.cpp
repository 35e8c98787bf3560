#include "app/held_keys.h"

#include <utility>

namespace tolvanir {

void held_keys::start(std::uint64_t now_ms) {
    if (!holding_) down_.reset();
    holding_ = true;
    since_ms_ = now_ms;
}

bool held_keys::hold(const held_key& key, std::uint64_t now_ms) {
    if (!holding_ || key.vk >= down_.size()) return false;
    if (now_ms - since_ms_ > longest_ms) {
        // Keys typed again that never came back (another hook took them) or
        // a show that never ended: what is held is given up.
        holding_ = false;
        keys_.clear();
        on_way_ = 0;
        return false;
    }
    if (key.up) {
        if (!down_[key.vk]) return false;
        down_[key.vk] = false;
    } else {
        if (keys_.size() >= most) return false;
        down_[key.vk] = true;
    }
    keys_.push_back(key);
    return true;
}

std::vector<held_key> held_keys::release() {
    std::vector<held_key> out = std::move(keys_);
    keys_.clear();
    on_way_ += out.size();
    end_if_idle();
    return out;
}

void held_keys::not_sent(std::size_t count) {
    on_way_ -= count < on_way_ ? count : on_way_;
    end_if_idle();
}

bool held_keys::came_back() {
    if (on_way_ == 0) return false;
    --on_way_;
    end_if_idle();
    return on_way_ == 0 && !keys_.empty();
}

void held_keys::end_if_idle() {
    if (on_way_ == 0 && keys_.empty()) holding_ = false;
}

}  // namespace tolvanir
