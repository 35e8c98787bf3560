#include "platform/directory_watch.h"

#include <windows.h>

#include <cstddef>
#include <vector>

#include "platform/win32/watch_buffer.h"

namespace tolvanir {

namespace {

constexpr DWORD name_changes = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

class win32_directory_watch : public directory_watch {
  public:
    explicit win32_directory_watch(HANDLE directory)
        : directory_(directory),
          event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          buffer_(watch_buffer_size / sizeof(DWORD), 0) {}

    ~win32_directory_watch() override {
        // The system writes into the buffer and the OVERLAPPED record until
        // the request completes; cancel it and wait for that first.
        if (pending_) {
            CancelIoEx(directory_, &overlapped_);
            DWORD ignored = 0;
            GetOverlappedResult(directory_, &overlapped_, &ignored, TRUE);
        }
        CloseHandle(directory_);
        if (event_ != nullptr) CloseHandle(event_);
    }

    bool request() override {
        for (;;) {
            overlapped_ = OVERLAPPED{};
            overlapped_.hEvent = event_;
            pending_ = ReadDirectoryChangesW(directory_, buffer_.data(), size_, TRUE, name_changes,
                                             nullptr, &overlapped_, nullptr) != FALSE;
            if (pending_) return true;
            const DWORD smaller = smaller_watch_buffer(size_, GetLastError());
            if (smaller == 0) return false;
            size_ = smaller;  // kept for every later request of this watch
        }
    }

    bool wait(const stop_event& stop, std::vector<change_record>& records) override {
        records.clear();
        const HANDLE handles[2] = {reinterpret_cast<HANDLE>(stop.native()), event_};
        // A request that did not start never completes: only the stop event is left.
        const DWORD which = WaitForMultipleObjects(pending_ ? 2 : 1, handles, FALSE, INFINITE);
        if (which != WAIT_OBJECT_0 + 1) return false;
        DWORD bytes = 0;
        const bool done = GetOverlappedResult(directory_, &overlapped_, &bytes, FALSE) != FALSE;
        pending_ = false;
        if (done) parse(bytes, records);
        return true;
    }

  private:
    void parse(DWORD bytes, std::vector<change_record>& records) const {
        const auto* base = reinterpret_cast<const unsigned char*>(buffer_.data());
        const std::size_t end = bytes < size_ ? bytes : size_;
        std::size_t at = 0;
        const std::size_t header = offsetof(FILE_NOTIFY_INFORMATION, FileName);
        while (at + header <= end) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + at);
            const std::size_t name_bytes = info->FileNameLength;
            if (at + header + name_bytes > end) break;
            records.push_back(
                {info->Action, std::wstring(info->FileName, name_bytes / sizeof(wchar_t))});
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }

    HANDLE directory_;
    HANDLE event_;
    std::vector<DWORD> buffer_;  // DWORD-aligned, as the call requires
    DWORD size_ = watch_buffer_size;
    OVERLAPPED overlapped_ = {};
    bool pending_ = false;
};

}  // namespace

std::unique_ptr<directory_watch> directory_watch::open(const std::wstring& directory) {
    // Backup semantics would open a plain file too, which cannot be watched.
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return nullptr;
    }
    HANDLE handle =
        CreateFileW(directory.c_str(), FILE_LIST_DIRECTORY,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<win32_directory_watch>(handle);
}

}  // namespace tolvanir
