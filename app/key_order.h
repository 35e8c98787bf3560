// Keys in the order they were typed.
//
// The hook takes Enter, Escape, Up and Down and posts them to the window, and
// posted messages overtake the keyboard input still queued: without care, a
// fast typist's Enter acts on a line that lacks its last letters. Times
// cannot order them (every event of one clock tick, or of one SendInput call,
// carries the same time), so the hook counts the events it passes on to this
// thread's windows, each posted key carries the count of its moment, and the
// window takes in exactly that much input before it acts on the key.
//
// A posted key also carries a tag that only the hook hands out, so that a
// key another program posts is told apart and ignored. Main thread only.
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
    void passed() { ++passed_; }
    // The hook is posting this key; the message carries the tag returned.
    posted_key post(unsigned vk, bool control, bool shift);
    // The post failed: no message will come for it.
    void withdraw(const posted_key& key);

    // A keyboard input message (a key going down or up, not a character) was
    // taken from this thread's queue.
    void took() { ++taken_; }
    // The posted key a message stands for; none for one the hook did not
    // post. Keys posted before it whose messages never came are forgotten.
    std::optional<posted_key> claim(unsigned vk, std::uint64_t tag);
    // Whether input passed on before the key is still to be taken.
    [[nodiscard]] bool owes_input(const posted_key& key) const {
        return taken_ < key.passed_before;
    }
    // The key's input is taken, or what is left of it never reached the
    // queue (the system kept it for a hot key): from here the counts agree.
    void settled(const posted_key& key) { taken_ = key.passed_before; }
    // Nothing passed on so far is still queued (the window comes up anew).
    void sync() { taken_ = passed_; }

  private:
    static constexpr std::size_t max_pending = 64;

    std::uint64_t nonce_;
    std::uint32_t serial_ = 0;
    std::uint64_t passed_ = 0;
    std::uint64_t taken_ = 0;
    std::deque<posted_key> pending_;
};

}  // namespace tolvanir
