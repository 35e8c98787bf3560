#include "index/present_files.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>

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
// following links; anything else is left out. Kept compact: the listings of
// a whole index are held until the last stored path has come in.
class listing {
  public:
    explicit listing(std::string_view directory) {
        std::vector<listed_entry> entries;
        if (!list_directory(directory, entries)) return;
        for (const listed_entry& entry : entries) {
            if (entry.type == listed_type::other) continue;
            index_.push_back({hash(entry.name), static_cast<std::uint32_t>(names_.size()),
                              static_cast<std::uint32_t>(entry.name.size()), entry.type});
            names_ += entry.name;
        }
        std::sort(index_.begin(), index_.end(),
                  [](const named& a, const named& b) { return a.hash < b.hash; });
    }

    // Null when the listing does not show the name.
    [[nodiscard]] const listed_type* find(std::string_view name) const {
        const std::uint64_t key = hash(name);
        auto at = std::lower_bound(index_.begin(), index_.end(), key,
                                   [](const named& a, std::uint64_t k) { return a.hash < k; });
        for (; at != index_.end() && at->hash == key; ++at) {
            if (std::string_view(names_).substr(at->offset, at->size) == name) return &at->type;
        }
        return nullptr;
    }

  private:
    static std::uint64_t hash(std::string_view name) { return std::hash<std::string_view>()(name); }

    struct named {
        std::uint64_t hash;
        std::uint32_t offset, size;  // in names_
        listed_type type;
    };
    std::string names_;
    std::vector<named> index_;
};

struct directory_group {
    std::string_view directory;
    std::uint32_t number = 0;  // in the order directories came up
    std::size_t paths = 0;
    std::optional<listing> entries;  // written by the lister, read after it is done
};

}  // namespace

struct present_files::state {
    ~state() { finish(); }

    void add(std::string_view path) {
        // The directory keeps its last separator: D: alone would name the
        // current directory of drive D, not its root.
        const std::size_t start = name_start(path);
        const std::string_view directory = path.substr(0, start);
        auto found = by_directory.find(directory);
        if (found == by_directory.end()) {
            groups.emplace_back().directory = directory;
            groups.back().number = static_cast<std::uint32_t>(groups.size() - 1);
            found = by_directory.emplace(directory, &groups.back()).first;
        }
        directory_group& group = *found->second;
        paths.push_back({path, static_cast<std::uint32_t>(start), group.number});
        if (++group.paths == listed_from && !directory.empty()) list(group);
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
            group.entries.emplace(group.directory);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back(&group);
        }
        wake.notify_one();
    }

    void run_lister() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return !queue.empty() || done; });
            if (queue.empty()) return;
            directory_group* group = queue.front();
            queue.pop_front();
            lock.unlock();
            group->entries.emplace(group->directory);
            lock.lock();
        }
    }

    // Every listing asked for is made once this returns.
    void finish() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        wake.notify_one();
        if (lister.joinable()) lister.join();
    }

    std::vector<bool> answers() {
        finish();
        std::vector<bool> regular(paths.size(), false);
        for (std::size_t k = 0; k < paths.size(); ++k) {
            const stored_path& stored = paths[k];
            const directory_group& group = groups[stored.group];
            const listed_type* type =
                group.entries ? group.entries->find(stored.path.substr(stored.name_start))
                              : nullptr;
            // Only what the listing shows is taken from it: a name it lacks may
            // still resolve (letter case, short names), so it is asked for.
            regular[k] =
                type == nullptr ? is_regular(stored.path) : *type == listed_type::regular_file;
        }
        // The listings are let go before the caller builds the index.
        paths = {};
        groups = {};
        by_directory = {};
        return regular;
    }

    struct stored_path {
        std::string_view path;
        std::uint32_t name_start;
        std::uint32_t group;  // its number in groups
    };
    std::vector<stored_path> paths;
    std::deque<directory_group> groups;  // stays in place as it grows
    std::unordered_map<std::string_view, directory_group*> by_directory;

    std::thread lister;
    bool lister_started = false;
    std::mutex mutex;  // guards queue and done
    std::condition_variable wake;
    std::deque<directory_group*> queue;
    bool done = false;
};

present_files::present_files() : state_(std::make_unique<state>()) {}
present_files::~present_files() = default;

void present_files::add(std::string_view path) { state_->add(path); }

std::vector<bool> present_files::answers() { return state_->answers(); }

std::vector<bool> regular_files(const std::vector<std::string_view>& paths) {
    present_files check;
    for (const std::string_view path : paths) check.add(path);
    return check.answers();
}

}  // namespace tolvanir
