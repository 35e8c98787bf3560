#include "config/settings.h"

#include <cwctype>

#include "config/program_files.h"
#include "config/scan_directories.h"

namespace tolvanir {

namespace {

const wchar_t* const settings_file_name = L"Settings.json";

settings_file& stored_settings() {
    static settings_file file([] { return data_file_path(settings_file_name); });
    return file;
}

// An unsigned decimal number with optional surrounding white space, as the
// property tree reads unsigned integers.
bool parse_unsigned(const std::wstring& text, std::uint32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && iswspace(text[i])) ++i;
    std::uint64_t v = 0;
    const std::size_t start = i;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        v = v * 10 + static_cast<std::uint64_t>(text[i] - L'0');
        if (v > 0xFFFFFFFFu) return false;
    }
    if (i == start) return false;
    while (i < text.size() && iswspace(text[i])) ++i;
    if (i != text.size()) return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

}  // namespace

wptree& settings() {
    static wptree tree;
    return tree;
}

std::vector<scanner_directory> read_scan_directories(wptree& tree) {
    std::vector<scanner_directory> directories;
    const auto node = tree.get_child_optional(L"scan_directory");
    if (!node) {
        tree.put_child(L"scan_directory", wptree());
        return directories;
    }
    for (const auto& entry : *node) {
        scanner_directory record;
        int position = 0;
        for (const auto& value : entry.second) {
            if (position == 0) {
                record.directory = value.second.data();
            } else if (position == 1) {
                std::uint32_t depth = 0;
                record.depth = parse_unsigned(value.second.data(), depth)
                                   ? static_cast<std::int32_t>(depth)
                                   : added_directory_depth;
            } else {
                break;
            }
            ++position;
        }
        directories.push_back(record);
    }
    return directories;
}

bool take_first_run(wptree& tree) {
    const std::wstring flag = tree.get<std::wstring>(L"first_run", L"true");
    const bool first = !(flag == L"false" || flag == L"0");
    // Replaces the whole node: a value put onto an object or array written
    // there by hand would make the tree unwritable.
    if (first) tree.put_child(L"first_run", wptree(L"false"));
    return first;
}

void load_settings() { (void)stored_settings().load(settings(), retry_timer::clock::now()); }

std::optional<late_settings> retry_settings() {
    return stored_settings().retry(settings(), retry_timer::clock::now());
}

bool save_settings(int attempts) { return stored_settings().save(settings(), attempts); }

}  // namespace tolvanir
