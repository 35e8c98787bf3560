#include "index/directory_scan.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <boost/thread/thread.hpp>
#include <cwctype>

#include "index/directory_watcher.h"
#include "index/path_text.h"
#include "index/pinyin.h"
#include "platform/environment.h"
#include "platform/indirect_string.h"
#include "platform/profile_section.h"
#include "platform/shell_link.h"
#include "platform/version_resource.h"

namespace tolvanir {

namespace {

namespace fs = boost::filesystem;

constexpr std::size_t max_path_length = 259;
// Links to a parent directory would otherwise let a large configured depth
// recurse until the stack runs out.
constexpr int max_scan_depth = 64;

fs::file_type status_of(const fs::path& path) {
    boost::system::error_code error;
    return fs::status(path, error).type();
}

bool is_blank(const std::wstring& text) {
    for (const wchar_t c : text) {
        if (!std::iswspace(c)) return false;
    }
    return true;
}

bool scan_level(tolvanir_list& index, const std::wstring& directory, int depth,
                const stop_event& stop) {
    if (directory.size() < 3 || status_of(directory) != fs::directory_file) return false;
    if (depth <= 0) return true;
    localized_names names;
    load_localized_names(directory, names);

    boost::system::error_code error;
    fs::directory_iterator entry(fs::path(directory), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        if (stop.is_set()) return true;
        std::wstring path;
        try {
            path = entry->path().wstring();
        } catch (const std::exception&) {
            continue;  // a name that is not UTF-8 has no wide form: it is skipped
        }
        const fs::file_type type = status_of(entry->path());
        if (type == fs::regular_file) {
            add_file(index, path, names);
        } else if (type == fs::directory_file) {
            scan_level(index, path, depth - 1, stop);
        }
    }
    return true;
}

}  // namespace

const std::vector<scanner_directory>& default_scan_directories() {
    static const std::vector<scanner_directory> defaults = {
        {L"%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs", 3},
        {L"%PROGRAMDATA%\\Microsoft\\Windows\\Start Menu\\Programs", 3},
        {L"%APPDATA%\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar", 3},
        {L"%USERPROFILE%\\Desktop", 3},
    };
    return defaults;
}

void load_localized_names(const std::wstring& directory, localized_names& names) {
    names.clear();
    const std::wstring file = join_path(directory, L"Desktop.ini");
    if (status_of(file) != fs::regular_file || !has_system_attribute(file)) return;
    for (const std::wstring& line : read_profile_section(file, L"LocalizedFileNames")) {
        const std::size_t at = line.find(L"=@");
        if (at == std::wstring::npos) continue;
        names[line.substr(0, at)] = load_indirect_string(line.substr(at + 1));
    }
}

void add_file(tolvanir_list& index, const std::wstring& path, const localized_names& names) {
    const bool shortcut = has_extension(path, L".lnk");
    const bool executable = has_extension(path, L".exe");
    if (!shortcut && !executable) return;
    if (index.contains_path(path)) return;

    program_item item;
    item.search_text = stem_of(path);
    const auto localized = names.find(file_name_of(path));
    if (localized != names.end()) {
        item.display_name = localized->second;
        item.search_text = localized->second + item.search_text;
    } else {
        item.display_name = item.search_text;
    }
    item.path = path;
    if (shortcut) {
        const std::wstring raw = resolve_shortcut(path);
        if (!raw.empty()) {
            item.target = expand_environment(raw);
            item.search_text += stem_of(item.target);
        }
    }
    if (executable) {
        const std::optional<std::wstring> description = read_file_description(path);
        // A description of only spaces names nothing; one with spaces around
        // it is shown as it is.
        if (description && !is_blank(*description)) {
            item.display_name = *description;
            item.search_text += *description;
        }
    }
    item.search_text += to_pinyin(item.display_name);
    index.insert_item(std::move(item));
}

bool scan_tree(tolvanir_list& index, const std::wstring& directory, int depth,
               const stop_event& stop) {
    return scan_level(index, directory, std::min(depth, max_scan_depth), stop);
}

std::wstring resolve_scan_directory(const std::wstring& configured,
                                    const std::wstring& program_dir) {
    const std::wstring expanded = expand_environment(configured);
    const fs::path path(expanded);
    if (path.has_root_name() || path.has_root_directory()) return expanded;
    std::wstring combined = (fs::path(program_dir) / path).lexically_normal().wstring();
    // The normal form marks a trailing separator (or a relative ".") with a
    // last "." part; paths below it would carry that part, and the same file
    // reached through the plain name would be indexed twice.
    const std::wstring dot_part = std::wstring(1, fs::path::preferred_separator) + L".";
    if (combined.size() > dot_part.size() &&
        combined.compare(combined.size() - dot_part.size(), dot_part.size(), dot_part) == 0) {
        combined.resize(combined.size() - dot_part.size());
    }
    return combined.size() > max_path_length ? std::wstring() : combined;
}

boost::thread start_thread(std::function<void()> body) { return boost::thread(std::move(body)); }

void scanner_main(tolvanir_list& index, const scanner_directory& directory, const stop_event& stop,
                  const std::wstring& program_dir, const thread_starter& start) {
    const std::wstring path = resolve_scan_directory(directory.directory, program_dir);
    ready_signal ready;
    boost::thread watcher;
    try {
        watcher = start([&index, path, &directory, &stop, &ready] {
            (void)watch_directory(index, path, directory.depth, stop, ready);
        });
        // Anything created from here on is seen by the watcher or by the scan.
        ready.wait();
    } catch (const boost::thread_resource_error&) {
        // No thread for the watcher: the scan goes on, changes wait for the next start.
    }
    scan_tree(index, path, directory.depth, stop);
    if (watcher.joinable()) watcher.join();
}

}  // namespace tolvanir
