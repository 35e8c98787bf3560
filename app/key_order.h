// Keys in the order they were typed.
//
// The hook takes Enter, Escape, Up and Down and posts them to the window, and
// posted messages overtake the keyboard input still queued: without care, a
// fast typist's Enter acts on a line that lacks its last letters. Times
// cannot order them (every event of one clock tick, or of one SendInput call,
// carries the same time), and counting cannot either (a key another program
// registered as its hot key passes the hook but never reaches our queue). So
// the hook numbers each event it passes on to this thread's windows, each
// posted key carries the number of its moment, and before acting on it the
// window takes in the queued input whose event came before it, matched by
// key and direction.
//
// A posted key also carries a tag that only the hook hands out, so that a
// key another program posts is told apart and ignored; the hook's own show
// and hide requests carry the same secret. Main thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

namespace tolvanir {

class key_order {
  public:
    struct posted_key {
        unsigned vk = 0;
        std::uint64_t tag = 0;            // what the message carries
        std::uint64_t passed_before = 0;  // events passed on before this key
        bool control = false;             // Ctrl and Shift as they were at the key
        bool shift = false;
    };

    explicit key_order(std::uint64_t nonce) : nonce_(nonce << 32) {}

    // The hook passed an event on to a window of this thread.
    void passed(unsigned vk, bool up);
    // The hook is posting this key; the message carries the tag returned.
    posted_key post(unsigned vk, bool control, bool shift);
    // The post failed: no message will come for it.
    void withdraw(const posted_key& key);

    // A keyboard input message (a key going down or up, not a character) was
    // taken from this thread's queue. Events passed on before its own whose
    // messages never came are forgotten.
    void took(unsigned vk, bool up);
    // Whether a queued keyboard message came from an event passed on before
    // the key. One the hook never saw (posted by a program) counts as before.
    [[nodiscard]] bool typed_before(const posted_key& key, unsigned vk, bool up) const;
    // The key's input is taken; what is left from before it never reached the
    // queue (the system kept it for a hot key).
    void settled(const posted_key& key);
    // Nothing passed on so far is still queued (the window comes up anew).
    void sync() { in_flight_.clear(); }

    // The posted key a message stands for; none for one the hook did not
    // post. Keys posted before it whose messages never came are forgotten.
    std::optional<posted_key> claim(unsigned vk, std::uint64_t tag);
    // What the hook's own show and hide requests carry.
    [[nodiscard]] std::uint64_t own_tag() const { return nonce_; }

  private:
    struct passed_event {
        unsigned vk;
        bool up;
        std::uint64_t number;
    };
    static constexpr std::size_t max_pending = 4096;  // a held key outruns the window
    static constexpr std::size_t max_in_flight = 4096;

    std::deque<passed_event>::const_iterator find(unsigned vk, bool up) const;

    std::uint64_t nonce_;
    std::uint32_t serial_ = 0;
    std::uint64_t passed_ = 0;
    std::deque<passed_event> in_flight_;  // passed on, not yet taken
    std::deque<posted_key> pending_;
};

}  // namespace tolvanir
