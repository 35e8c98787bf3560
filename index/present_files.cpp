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
    const listing* entries = nullptr;
};

}  // namespace

// The reading thread hands the paths over in batches; the lister groups
// them by directory and, between batches, lists each directory whose fourth
// path has come. Listing takes longer than reading, so the reading thread
// lists too once the file is read, and at the end each thread answers half
// the paths.
struct present_files::state {
    ~state() { stop(); }

    // The lister finishes the batch in hand and leaves the queued ones.
    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
            handed.clear();
        }
        wake.notify_all();
        if (lister.joinable()) lister.join();
    }

    void add(std::string_view path) {
        if (!lister_started) {
            lister_started = true;
            try {
                lister = std::thread([this] { run_lister(); });
            } catch (const std::system_error&) {
            }
        }
        if (!lister.joinable()) {
            take(path);
            for (directory_group* g : due) g->entries = list(*g, own);
            due.clear();
            return;
        }
        batch.push_back(path);
        if (batch.size() == batch_limit) hand_over();
    }

    void hand_over() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            handed.push_back(std::move(batch));
        }
        wake.notify_all();
        // The first batches are small, so that listing starts early.
        batch_limit = std::min(2 * batch_limit, batch_size);
        batch = {};
        batch.reserve(batch_limit);
    }

    // On the lister: a path into its directory's group, which is due to be
    // listed when this is its fourth path.
    void take(std::string_view path) {
        // The directory keeps its last separator: D: alone would name the
        // current directory of drive D, not its root.
        const std::size_t start = name_start(path);
        const std::string_view directory = path.substr(0, start);
        const std::uint32_t group = group_of(directory);
        paths.push_back({path, static_cast<std::uint32_t>(start), group});
        directory_group& g = groups[group];
        if (++g.paths == listed_from && !directory.empty()) due.push_back(&g);
    }

    // Where a thread keeps the listings it makes.
    struct listings_made {
        std::vector<listed_entry> scratch;
        text_arena arena;
        std::deque<listing> listings;  // stay in place as they come
    };
    static const listing* list(const directory_group& g, listings_made& into) {
        return &into.listings.emplace_back(g.directory, into.scratch, into.arena);
    }
    // With the lock held: one directory due, listed by this thread; false
    // when none is due.
    bool list_one(std::unique_lock<std::mutex>& lock, listings_made& into) {
        if (to_list.empty()) return false;
        directory_group* const g = to_list.back();
        to_list.pop_back();
        lock.unlock();
        g->entries = list(*g, into);
        lock.lock();
        return true;
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
        char* const copy = arena.allocate(directory.size());
        std::memcpy(copy, directory.data(), directory.size());
        groups.emplace_back().directory = std::string_view(copy, directory.size());
        groups.back().hash = hash;
        return table[at];
    }

    void run_lister() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] {
                return !handed.empty() || !to_list.empty() || (all_handed && !drained) ||
                       split_ready || done;
            });
            if (done) {
                return;
            } else if (!handed.empty()) {
                // Paths first: the directories they make due can then be
                // listed by both threads.
                const std::vector<std::string_view> paths_in = std::move(handed.front());
                handed.pop_front();
                lock.unlock();
                for (const std::string_view path : paths_in) take(path);
                lock.lock();
                if (!due.empty()) {
                    to_list.insert(to_list.end(), due.begin(), due.end());
                    due.clear();
                    wake.notify_all();
                }
            } else if (list_one(lock, own)) {
            } else if (all_handed && !drained) {
                drained = true;
                wake.notify_all();
            } else if (split_ready) {
                split_ready = false;
                lock.unlock();
                answer(split, paths.size());
                lock.lock();
                answered = true;
                wake.notify_all();
            }
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
        if (lister.joinable()) {
            std::unique_lock<std::mutex> lock(mutex);
            handed.push_back(std::move(batch));
            all_handed = true;
            wake.notify_all();
            for (;;) {
                wake.wait(lock, [this] { return !to_list.empty() || drained; });
                if (!list_one(lock, reader_made)) break;
            }
            // Half the paths are answered by each thread.
            regular.assign(paths.size(), 0);
            split = paths.size() / 2;
            split_ready = true;
            wake.notify_all();
            lock.unlock();
            answer(0, split);
            lock.lock();
            wake.wait(lock, [this] { return answered; });
        } else {
            regular.assign(paths.size(), 0);
            answer(0, paths.size());
        }
        std::vector<bool> found(regular.begin(), regular.end());
        // The listings are let go before the caller builds the index.
        paths = {};
        regular = {};
        std::deque<directory_group>().swap(groups);
        table = {};
        own = listings_made();
        reader_made = listings_made();
        arena = text_arena();
        return found;
    }

    struct stored_path {
        std::string_view path;
        std::uint32_t name_start;
        std::uint32_t group;  // its number in groups
    };
    // Paths a batch, so that the threads meet once for thousands of them.
    static constexpr std::size_t batch_size = 4096;
    std::size_t batch_limit = 256;
    std::vector<std::string_view> batch;  // the reading thread's, not handed over yet
    listings_made reader_made;            // by the reading thread, once the file is read

    // The lister's until the answers, and read by both then.
    std::vector<stored_path> paths;
    std::deque<directory_group> groups;  // stay in place as they grow
    std::vector<std::uint32_t> table;
    text_arena arena;                   // the directories' names
    std::vector<directory_group*> due;  // by the last batch taken
    listings_made own;                  // the lister's
    std::vector<char> regular;          // by path; written by both threads

    std::thread lister;
    bool lister_started = false;
    std::mutex mutex;  // guards what follows
    std::condition_variable wake;
    std::deque<std::vector<std::string_view>> handed;
    std::vector<directory_group*> to_list;  // due, and listed by neither thread yet
    bool all_handed = false, drained = false;
    std::size_t split = 0;
    bool split_ready = false, answered = false, done = false;
};

present_files::present_files() : state_(std::make_unique<state>()) {}
present_files::~present_files() = default;

void present_files::add(std::string_view path) { state_->add(path); }

void present_files::reserve(std::size_t count) { state_->paths.reserve(count); }

std::vector<bool> present_files::answers() { return state_->answers(); }

void present_files::stop() { state_->stop(); }

std::vector<bool> regular_files(const std::vector<std::string_view>& paths) {
    present_files check;
    for (const std::string_view path : paths) check.add(path);
    return check.answers();
}

}  // namespace tolvanir
