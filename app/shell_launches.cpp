#include "app/shell_launches.h"

#include <objbase.h>

#include <chrono>
#include <system_error>
#include <thread>

#include "platform/shell_open.h"

namespace tolvanir {

namespace {

bool open_with_com(const std::wstring& text, bool elevated) {
    // The shell may hand the text to extensions that are COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const bool accepted = shell_open(text, elevated);
    if (SUCCEEDED(com)) CoUninitialize();
    return accepted;
}

}  // namespace

void shell_launches::start(const std::wstring& text, bool elevated,
                           std::function<void()> accepted) {
    const std::uint64_t id = ++next_id_;
    waiting_.emplace(id, std::move(accepted));
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        ++shared_->running;
    }
    const auto run = [state = shared_, window = window_, message = done_message_, id, text,
                      elevated] {
        const bool ok = open_with_com(text, elevated);
        {
            std::lock_guard<std::mutex> hold(state->lock);
            state->ended.emplace_back(id, ok);
            --state->running;
        }
        state->idle.notify_all();
        if (window != nullptr) PostMessageW(window, message, 0, 0);
    };
    try {
        std::thread(run).detach();
    } catch (const std::system_error&) {
        run();  // no thread to be had: better late than not at all
    }
}

void shell_launches::collect() {
    std::vector<std::pair<std::uint64_t, bool>> ended;
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        ended.swap(shared_->ended);
    }
    for (const auto& [id, ok] : ended) {
        const auto found = waiting_.find(id);
        if (found == waiting_.end()) continue;
        const std::function<void()> accepted = std::move(found->second);
        waiting_.erase(found);
        if (ok && accepted) accepted();
    }
}

void shell_launches::finish(DWORD timeout_ms) {
    {
        std::unique_lock<std::mutex> hold(shared_->lock);
        shared_->idle.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                               [&] { return shared_->running == 0; });
    }
    collect();
}

}  // namespace tolvanir
