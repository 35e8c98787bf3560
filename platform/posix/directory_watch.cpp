#include "platform/directory_watch.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/utf8.h"

// inotify watches one directory at a time, so every directory of the tree
// gets its own watch, placed at open() and whenever one is created or moved
// in. Events become the records ReadDirectoryChangesW gives: a rename within
// the tree (paired by cookie) is old name then new name, a move out of the
// tree a removal, a move in an addition. Left open: an entry made in a
// directory moved in, between the move and its watch, goes unreported; and a
// directory the kernel refuses a watch (max_user_watches) goes unwatched.

namespace tolvanir {

namespace {

constexpr std::uint32_t name_events =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
// Subdirectories: never through a symbolic link, which the Windows subtree
// watch does not follow either.
constexpr std::uint32_t subdirectory_mask = name_events | IN_ONLYDIR | IN_DONT_FOLLOW;

// Room for about 4,000 events with short names per read.
constexpr std::size_t read_size = 64 * 1024;
// A wait stops reading after this many full buffers even while events keep
// coming, so that a busy tree cannot hold it forever.
constexpr int max_reads_per_wait = 64;

std::string join(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + '/' + name;
}

bool under(const std::string& path, const std::string& dir) {
    return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                           path[dir.size()] == '/');
}

// File names are bytes; a name that is not UTF-8 keeps its valid sequences
// and gets U+FFFD for each stray byte, so it still yields a record.
std::wstring decode_name(const std::string& bytes) {
    try {
        return from_utf8(bytes);
    } catch (const std::range_error&) {
    }
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (i + length <= bytes.size()) {
            try {
                text += from_utf8(bytes.substr(i, length));
                i += length;
                continue;
            } catch (const std::range_error&) {
            }
        }
        text.push_back(L'\uFFFD');
        ++i;
    }
    return text;
}

class inotify_watch final : public directory_watch {
  public:
    inotify_watch(int inotify_fd, int root_fd, int root_wd, const std::string& root_path)
        : fd_(inotify_fd), root_fd_(root_fd), root_wd_(root_wd), buffer_(read_size) {
        // Subdirectories are named through the root's descriptor where /proc
        // allows, so that they are still found after the root is renamed
        // (a Windows directory handle keeps watching a renamed directory).
        const std::string by_descriptor = "/proc/self/fd/" + std::to_string(root_fd);
        root_path_ = ::access(by_descriptor.c_str(), F_OK) == 0 ? by_descriptor : root_path;
        watched_[root_wd_] = std::string();
        walk(std::string(), nullptr);
    }

    ~inotify_watch() override {
        ::close(fd_);
        ::close(root_fd_);
    }

    bool request() override { return !root_gone_; }

    bool wait(const stop_event& stop, std::vector<change_record>& records) override {
        records.clear();
        const int stop_fd = static_cast<int>(stop.native());
        for (;;) {
            pollfd fds[2] = {{stop_fd, POLLIN, 0}, {fd_, POLLIN, 0}};
            // Once the directory itself is gone only the stop event is left.
            const nfds_t count = root_gone_ ? 1 : 2;
            const int ready = ::poll(fds, count, -1);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0 || (fds[0].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) != 0)
                return false;
            if (count == 1) continue;
            if ((fds[1].revents & (POLLERR | POLLNVAL)) != 0) return false;
            if ((fds[1].revents & POLLIN) == 0) continue;

            bool lost_track = false;
            if (!read_batch(records, lost_track)) return false;
            if (lost_track) {
                records.clear();
                return true;
            }
            // A batch of bookkeeping only (watches going away, creations
            // already reported) is no completion: Windows would not complete
            // a request without records either, and no records means "lost
            // track" to the caller.
            if (!records.empty() || root_gone_) return true;
        }
    }

  private:
    // Reads until the queue is empty and turns the events into records.
    // False on a read error.
    bool read_batch(std::vector<change_record>& records, bool& lost_track) {
        std::vector<char> events;
        for (int reads = 0; reads < max_reads_per_wait; ++reads) {
            const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
            if (n < 0 && errno == EINTR) {
                --reads;
                continue;
            }
            if (n < 0 && errno == EAGAIN) break;
            if (n <= 0) return false;
            events.insert(events.end(), buffer_.data(), buffer_.data() + n);
        }

        // Creations that the walks of the last batch reported already; the
        // kernel queued their events before this read, so older entries can go.
        reported_before_ = std::move(reported_now_);
        reported_now_.clear();

        // Renames within the tree pair up by cookie; an old name without a
        // new one in the batch left the tree.
        std::set<std::uint32_t> arrived;
        for_each_event(events, [&](const inotify_event& event, const std::string&) {
            if ((event.mask & IN_MOVED_TO) != 0 && watched_.count(event.wd) != 0)
                arrived.insert(event.cookie);
            return true;
        });
        std::unordered_map<std::uint32_t, std::string> departed;

        for_each_event(events, [&](const inotify_event& event, const std::string& name) {
            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                lost_track = true;
                return false;
            }
            handle(event, name, arrived, departed, records);
            return true;
        });
        reported_before_.clear();
        if (lost_track) resync();
        return true;
    }

    // Calls `visit` for each whole event; a truncated tail is dropped.
    template <typename Visit>
    static void for_each_event(const std::vector<char>& events, Visit visit) {
        std::size_t offset = 0;
        while (events.size() - offset >= sizeof(inotify_event)) {
            inotify_event event;
            std::memcpy(&event, events.data() + offset, sizeof event);
            const std::size_t name_at = offset + sizeof event;
            if (event.len > events.size() - name_at) return;
            const char* name = events.data() + name_at;
            const std::string text(name, ::strnlen(name, event.len));
            if (!visit(event, text)) return;
            offset = name_at + event.len;
        }
    }

    void handle(const inotify_event& event, const std::string& name,
                const std::set<std::uint32_t>& arrived,
                std::unordered_map<std::uint32_t, std::string>& departed,
                std::vector<change_record>& records) {
        if ((event.mask & IN_IGNORED) != 0) {
            watched_.erase(event.wd);
            if (event.wd == root_wd_) root_gone_ = true;
            return;
        }
        const auto dir = watched_.find(event.wd);
        if (dir == watched_.end()) return;
        if (event.wd == root_wd_ && (event.mask & (IN_DELETE_SELF | IN_UNMOUNT)) != 0) {
            root_gone_ = true;
            return;
        }
        // A directory renamed or deleted as a whole is reported by its parent.
        if (name.empty()) return;

        const std::string path = join(dir->second, name);
        const bool is_dir = (event.mask & IN_ISDIR) != 0;
        const std::pair<int, std::string> entry(event.wd, name);
        if ((event.mask & IN_CREATE) != 0) {
            if (reported_before_.erase(entry) != 0) return;
            add(records, change_added, path);
            if (is_dir) walk(path, &records);
        } else if ((event.mask & IN_DELETE) != 0) {
            reported_before_.erase(entry);
            add(records, change_removed, path);
        } else if ((event.mask & IN_MOVED_FROM) != 0) {
            reported_before_.erase(entry);
            if (arrived.count(event.cookie) != 0) {
                add(records, change_renamed_old_name, path);
                departed[event.cookie] = path;
            } else {
                // Moved out of the tree: Windows reports it removed.
                add(records, change_removed, path);
                if (is_dir) forget(path);
            }
        } else if ((event.mask & IN_MOVED_TO) != 0) {
            const auto from = departed.find(event.cookie);
            if (from != departed.end()) {
                add(records, change_renamed_new_name, path);
                if (is_dir) rename(from->second, path);
                departed.erase(from);
            } else {
                // Moved in from outside: added, its contents came along and
                // are not news (Windows reports only the directory too).
                if (reported_before_.erase(entry) == 0) add(records, change_added, path);
                if (is_dir) walk(path, nullptr);
            }
        }
    }

    static void add(std::vector<change_record>& records, change_action action,
                    const std::string& path) {
        records.push_back({action, decode_name(path)});
    }

    // Watches `start` and every directory under it. With `report`, the
    // entries found are reported as added: the directory was just created,
    // so all of them are newer than it and a subtree watch would have seen
    // them arrive. An entry created after a watch was placed but before the
    // listing also raises an event; reported_now_ keeps it from being
    // reported twice.
    void walk(const std::string& start, std::vector<change_record>* report) {
        std::vector<std::string> pending{start};
        while (!pending.empty()) {
            const std::string dir = std::move(pending.back());
            pending.pop_back();
            int wd = root_wd_;
            if (!dir.empty()) {
                wd = ::inotify_add_watch(fd_, watch_path(dir).c_str(), subdirectory_mask);
                // Gone already, replaced by a file, or out of watches: it
                // stays unwatched, the kernel leaves no other choice.
                if (wd < 0) continue;
                // Known under another name: a bind mount (which would loop)
                // or a directory moved here whose rename is still queued.
                // Either way its subtree is watched already.
                const auto known = watched_.find(wd);
                if (known != watched_.end() && known->second != dir) continue;
                watched_[wd] = dir;
            }
            list(dir, [&](const std::string& name, bool is_dir) {
                const std::string path = join(dir, name);
                if (report != nullptr) {
                    add(*report, change_added, path);
                    reported_now_.emplace(wd, name);
                }
                if (is_dir) pending.push_back(path);
            });
        }
    }

    // Lists a directory below the root, without following links.
    template <typename Visit>
    void list(const std::string& dir, Visit visit) const {
        const int dir_fd = ::openat(root_fd_, dir.empty() ? "." : dir.c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dir_fd < 0) return;
        DIR* stream = ::fdopendir(dir_fd);
        if (stream == nullptr) {
            ::close(dir_fd);
            return;
        }
        while (const dirent* entry = ::readdir(stream)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            bool is_dir = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat info;
                is_dir = ::fstatat(dir_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                         S_ISDIR(info.st_mode);
            }
            visit(name, is_dir);
        }
        ::closedir(stream);
    }

    std::string watch_path(const std::string& dir) const { return root_path_ + '/' + dir; }

    // A directory left the tree: its watches go, and events still queued for
    // them are dropped as they no longer belong to the tree.
    void forget(const std::string& dir) {
        for (auto it = watched_.begin(); it != watched_.end();) {
            if (it->first != root_wd_ && under(it->second, dir)) {
                ::inotify_rm_watch(fd_, it->first);
                it = watched_.erase(it);
            } else {
                ++it;
            }
        }
    }

    // A directory renamed within the tree keeps its watches, under new names.
    void rename(const std::string& from, const std::string& to) {
        for (auto& [wd, path] : watched_) {
            if (wd != root_wd_ && under(path, from)) path = to + path.substr(from.size());
        }
    }

    // After an overflow nothing is known: watches and names are rebuilt from
    // what is on disk now.
    void resync() {
        std::unordered_map<int, std::string> old;
        old.swap(watched_);
        reported_now_.clear();
        watched_[root_wd_] = std::string();
        walk(std::string(), nullptr);
        for (const auto& [wd, path] : old) {
            if (watched_.count(wd) == 0) ::inotify_rm_watch(fd_, wd);
        }
    }

    int fd_;
    int root_fd_;
    int root_wd_;
    std::string root_path_;
    bool root_gone_ = false;
    std::vector<char> buffer_;
    // Watch descriptor to the directory's path below the root ("" for the
    // root), '/'-separated.
    std::unordered_map<int, std::string> watched_;
    std::set<std::pair<int, std::string>> reported_before_;
    std::set<std::pair<int, std::string>> reported_now_;
};

}  // namespace

std::unique_ptr<directory_watch> directory_watch::open(const std::wstring& directory) {
    if (directory.empty() || directory.find(L'\0') != std::wstring::npos) return nullptr;
    const std::string path = to_utf8(directory);
    const int root_fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root_fd < 0) return nullptr;
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        ::close(root_fd);
        return nullptr;
    }
    const int wd = ::inotify_add_watch(fd, path.c_str(), name_events | IN_ONLYDIR);
    if (wd < 0) {
        ::close(fd);
        ::close(root_fd);
        return nullptr;
    }
    return std::make_unique<inotify_watch>(fd, root_fd, wd, path);
}

}  // namespace tolvanir
