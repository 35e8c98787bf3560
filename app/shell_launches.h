// Launches through the shell, each on a thread of its own: ShellExecuteExW
// can take seconds (a network target, a slow shell extension, the elevation
// prompt), and the window thread also serves the desktop's keyboard hook.
// What the shell accepted is handed back on the window thread.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvanir {

class shell_launches {
  public:
    // `window` is posted `done_message` (no arguments) whenever a launch ends.
    void bind(HWND window, UINT done_message) {
        window_ = window;
        done_message_ = done_message;
    }
    // `accepted` runs on the window thread if the shell accepts the text.
    void start(const std::wstring& text, bool elevated, std::function<void()> accepted);
    // On done_message: runs the callbacks of the launches the shell accepted.
    void collect();
    // At exit: waits up to `timeout_ms` for the launches still running, then
    // collects. One that takes longer is left to the shell; it counts nothing.
    void finish(DWORD timeout_ms);

  private:
    // Shared with the threads, which may outlive this object at exit.
    struct shared_state {
        std::mutex lock;
        std::condition_variable idle;
        std::size_t running = 0;
        std::vector<std::pair<std::uint64_t, bool>> ended;  // id, accepted
    };

    std::shared_ptr<shared_state> shared_ = std::make_shared<shared_state>();
    std::map<std::uint64_t, std::function<void()>> waiting_;
    std::uint64_t next_id_ = 0;
    HWND window_ = nullptr;
    UINT done_message_ = 0;
};

}  // namespace tolvanir
