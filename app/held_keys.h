// Keys typed between Win+R and the moment the launcher has the keyboard.
// Until the show is done, the foreground window is still the one the user
// left, so what a fast typist or a macro types after Win+R would go there:
// the hook holds those keys instead, and the show types them again into the
// launcher, in their order. Keys typed while the held ones are on their way
// are held behind them, so nothing overtakes. Portable: no system calls.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvanir {

struct held_key {
    unsigned vk = 0;
    unsigned scan = 0;
    bool extended = false;
    bool up = false;
};

class held_keys {
  public:
    // Past this many keys they go on as they come; this long after the show
    // was asked for, holding ends: a show that never ends, or keys typed
    // again that never come back, must not take the keyboard.
    static constexpr std::size_t most = 256;
    static constexpr std::uint64_t longest_ms = 2000;

    // A show was posted: from now on typed keys are held.
    void start(std::uint64_t now_ms);
    // For a typed key event (not one typed again): true when it is held, so
    // the hook swallows it. A key-up is held only when its key-down was.
    bool hold(const held_key& key, std::uint64_t now_ms);
    // The show is done: the keys to type again, now on their way. Holding
    // goes on until each has come back through the hook (came_back).
    [[nodiscard]] std::vector<held_key> release();
    // Of the keys just released, `count` could not be typed again.
    void not_sent(std::size_t count);
    // One key typed again has come back through the hook. True when keys
    // held meanwhile are to be released in turn.
    bool came_back();
    [[nodiscard]] bool holding() const { return holding_; }

  private:
    void end_if_idle();

    bool holding_ = false;
    std::uint64_t since_ms_ = 0;
    std::vector<held_key> keys_;
    std::bitset<256> down_;   // keys whose key-down is held
    std::size_t on_way_ = 0;  // released, not back yet
};

}  // namespace tolvanir
