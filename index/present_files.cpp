#include "index/present_files.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "index/text_arena.h"
#include "index/text_hash.h"
#include "platform/directory_listing.h"
#include "platform/file_path.h"

namespace tolvanir {

namespace {

namespace fs = boost::filesystem;

// A listing costs about what a few status queries cost.
constexpr std::size_t listed_from = 4;

bool is_regular(std::string_view path) {
    boost::system::error_code error;
    return fs::status(file_path_of(path), error).type() == fs::regular_file;
}

std::size_t name_start(std::string_view path) {
    // By hand: find_last_of searches its set once for every byte.
    for (std::size_t at = path.size(); at > 0; --at) {
        if (path[at - 1] == '\\' || path[at - 1] == '/') return at;
    }
    return 0;
}

// A directory's regular files and directories, as the listing says without
// following links; anything else is left out. Kept in one block of an
// arena: the listings of a whole index are held until the last stored path
// has come in.
class listing {
  public:
    listing(std::string_view directory, std::vector<listed_entry>& scratch, text_arena& arena) {
        if (!list_directory(directory, scratch)) return;
        std::size_t names = 0;
        for (const listed_entry& entry : scratch) {
            if (entry.type != listed_type::other) ++count_, names += entry.name.size();
        }
        char* const block = arena.allocate(count_ * sizeof(named) + names);
        auto* index = reinterpret_cast<named*>(block);
        char* const text = block + count_ * sizeof(named);
        std::size_t k = 0, offset = 0;
        for (const listed_entry& entry : scratch) {
            if (entry.type == listed_type::other) continue;
            index[k++] = {static_cast<std::uint32_t>(hash_of(entry.name)),
                          static_cast<std::uint32_t>(offset),
                          static_cast<std::uint32_t>(entry.name.size()), entry.type};
            std::memcpy(text + offset, entry.name.data(), entry.name.size());
            offset += entry.name.size();
        }
        std::sort(index, index + count_,
                  [](const named& a, const named& b) { return a.hash < b.hash; });
        index_ = index;
        names_ = text;
    }

    // Null when the listing does not show the name.
    [[nodiscard]] const listed_type* find(std::string_view name) const {
        const auto key = static_cast<std::uint32_t>(hash_of(name));
        const named* at =
            std::lower_bound(index_, index_ + count_, key,
                             [](const named& a, std::uint32_t k) { return a.hash < k; });
        for (; at != index_ + count_ && at->hash == key; ++at) {
            if (at->size == name.size() &&
                std::memcmp(names_ + at->offset, name.data(), at->size) == 0)
                return &at->type;
        }
        return nullptr;
    }

  private:
    struct named {
        std::uint32_t hash;
        std::uint32_t offset, size;  // in names_
        listed_type type;
    };
    const named* index_ = nullptr;
    const char* names_ = nullptr;
    std::size_t count_ = 0;
};

struct directory_group {
    std::string_view directory;  // a copy, kept with the others where the cache holds them
    std::uint64_t hash = 0;
    std::uint32_t paths = 0;
    // Made by whichever thread lists the directory, read after both are done.
    const listing* entries = nullptr;
};

// What one thread needs to list directories.
struct lister_state {
    std::vector<listed_entry> scratch;
    text_arena arena;
    std::deque<listing> listings;  // stay in place as they come
};

}  // namespace

struct present_files::state {
    ~state() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        wake.notify_one();
        if (lister.joinable()) lister.join();
    }

    void add(std::string_view path) {
        // The directory keeps its last separator: D: alone would name the
        // current directory of drive D, not its root.
        const std::size_t start = name_start(path);
        const std::string_view directory = path.substr(0, start);
        const std::uint32_t group = group_of(directory);
        paths.push_back({path, static_cast<std::uint32_t>(start), group});
        directory_group& g = groups[group];
        if (++g.paths == listed_from && !directory.empty()) list(g);
    }

    // The group of a directory, made when it first comes up: a table of
    // group numbers by hash, probed linearly.
    std::uint32_t group_of(std::string_view directory) {
        constexpr std::uint32_t empty = 0xFFFFFFFFu;
        if (2 * (groups.size() + 1) > table.size()) {
            std::vector<std::uint32_t> grown(table.empty() ? 1024 : 2 * table.size(), empty);
            for (std::uint32_t g = 0; g < groups.size(); ++g) {
                std::size_t at = groups[g].hash & (grown.size() - 1);
                while (grown[at] != empty) at = (at + 1) & (grown.size() - 1);
                grown[at] = g;
            }
            table.swap(grown);
        }
        const std::uint64_t hash = hash_of(directory);
        std::size_t at = hash & (table.size() - 1);
        for (; table[at] != empty; at = (at + 1) & (table.size() - 1)) {
            const directory_group& g = groups[table[at]];
            if (g.hash == hash && g.directory == directory) return table[at];
        }
        table[at] = static_cast<std::uint32_t>(groups.size());
        char* const copy = directories.allocate(directory.size());
        std::memcpy(copy, directory.data(), directory.size());
        groups.emplace_back().directory = std::string_view(copy, directory.size());
        groups.back().hash = hash;
        return table[at];
    }

    // The group's directory is listed by the lister, or here when it could
    // not be started.
    void list(directory_group& group) {
        if (!lister_started) {
            lister_started = true;
            try {
                lister = std::thread([this] { run_lister(); });
            } catch (const std::system_error&) {
            }
        }
        if (!lister.joinable()) {
            list_now(group, own);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back(&group);
        }
        wake.notify_one();
    }

    static void list_now(directory_group& group, lister_state& by) {
        group.entries = &by.listings.emplace_back(group.directory, by.scratch, by.arena);
    }

    // Lists what is queued; then, once told, answers the paths from `split` on.
    void run_lister() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return !queue.empty() || done || split_ready; });
            if (!queue.empty()) {
                directory_group* group = queue.front();
                queue.pop_front();
                busy = true;
                lock.unlock();
                list_now(*group, theirs);
                lock.lock();
                busy = false;
                wake.notify_all();
                continue;
            }
            if (split_ready) {
                split_ready = false;
                lock.unlock();
                answer(split, paths.size());
                lock.lock();
                answered = true;
                lock.unlock();
                wake.notify_all();
                lock.lock();
                continue;
            }
            return;  // done
        }
    }

    // The paths [from, to), read in order while the listings, far fewer
    // bytes, stay in the cache.
    void answer(std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k) {
            const stored_path& stored = paths[k];
            const listing* entries = groups[stored.group].entries;
            const listed_type* type =
                entries ? entries->find(stored.path.substr(stored.name_start)) : nullptr;
            // Only what the listing shows is taken from it: a name it lacks
            // may still resolve (letter case, short names), so it is asked for.
            regular[k] = static_cast<char>(type == nullptr ? is_regular(stored.path)
                                                           : *type == listed_type::regular_file);
        }
    }

    std::vector<bool> answers() {
        // The directories still waiting are listed from the other end of the
        // queue here too, so both threads list until none is left.
        std::unique_lock<std::mutex> lock(mutex);
        while (!queue.empty()) {
            directory_group* group = queue.back();
            queue.pop_back();
            lock.unlock();
            list_now(*group, own);
            lock.lock();
        }
        wake.wait(lock, [this] { return !busy; });  // the lister's last listing
        lock.unlock();
        // Half the paths are answered by each thread.
        regular.assign(paths.size(), 0);
        const std::size_t half = paths.size() / 2;
        lock.lock();
        if (lister.joinable()) {
            split = half;
            split_ready = true;
            lock.unlock();
            wake.notify_all();
            answer(0, half);
            lock.lock();
            wake.wait(lock, [this] { return answered; });
        } else {
            lock.unlock();
            answer(0, paths.size());
            lock.lock();
        }
        lock.unlock();
        std::vector<bool> found(regular.begin(), regular.end());
        // The listings are let go before the caller builds the index.
        paths = {};
        regular = {};
        std::deque<directory_group>().swap(groups);
        table = {};
        directories = text_arena();
        own = lister_state();
        theirs = lister_state();
        return found;
    }

    struct stored_path {
        std::string_view path;
        std::uint32_t name_start;
        std::uint32_t group;  // its number in groups
    };
    std::vector<stored_path> paths;
    std::deque<directory_group> groups;  // stay in place as they grow
    std::vector<std::uint32_t> table;
    text_arena directories;
    std::vector<char> regular;  // by path; written by both threads

    lister_state own, theirs;  // this thread's listings, the lister's
    std::thread lister;
    bool lister_started = false;
    std::mutex mutex;  // guards queue, done, busy and the hand-over of the split
    std::condition_variable wake;
    std::deque<directory_group*> queue;
    bool done = false;
    std::size_t split = 0;
    bool busy = false;  // the lister is making a listing
    bool split_ready = false, answered = false;
};

present_files::present_files() : state_(std::make_unique<state>()) {}
present_files::~present_files() = default;

void present_files::add(std::string_view path) { state_->add(path); }

void present_files::reserve(std::size_t count) { state_->paths.reserve(count); }

std::vector<bool> present_files::answers() { return state_->answers(); }

std::vector<bool> regular_files(const std::vector<std::string_view>& paths) {
    present_files check;
    for (const std::string_view path : paths) check.add(path);
    return check.answers();
}

}  // namespace tolvanir
