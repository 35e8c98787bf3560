#include "sample_menu.h"

#include <boost/filesystem/fstream.hpp>
#include <boost/filesystem/operations.hpp>
#include <cwctype>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "config/json_file.h"
#include "index/path_text.h"
#include "index/pinyin.h"

namespace tolvanir::bench {

namespace {

namespace fs = boost::filesystem;

const std::vector<std::wstring> vendors = {L"Microsoft",
                                           L"Adobe",
                                           L"Google",
                                           L"Mozilla",
                                           L"JetBrains",
                                           L"Oracle",
                                           L"Valve",
                                           L"Tencent",
                                           L"Autodesk",
                                           L"Corel",
                                           L"Intel",
                                           L"NVIDIA Corporation",
                                           L"VideoLAN",
                                           L"Python 3.11",
                                           L"Git",
                                           L"Notepad++",
                                           L"7-Zip",
                                           L"WinRAR",
                                           L"Epic Games",
                                           L"Ubisoft",
                                           L"Kingsoft",
                                           L"Zoom",
                                           L"Spotify",
                                           L"Dropbox",
                                           L"Logitech",
                                           L"Realtek",
                                           L"HP",
                                           L"Lenovo",
                                           L"Canon",
                                           L"VMware",
                                           L"Docker",
                                           L"Node.js",
                                           L"LibreOffice 7.5",
                                           L"GIMP 2",
                                           L"Inkscape",
                                           L"Blender Foundation",
                                           L"OBS Studio",
                                           L"Audacity",
                                           L"Foxit",
                                           L"AT&T",
                                           L"\u817E\u8BAF\u8F6F\u4EF6",
                                           L"\u767E\u5EA6",
                                           L"\u963F\u91CC\u5DF4\u5DF4",
                                           L"\u7F51\u6613",
                                           L"360\u5B89\u5168\u4E2D\u5FC3",
                                           L"\u91D1\u5C71\u529E\u516C"};
const std::vector<std::wstring> products = {L"Visual Studio",
                                            L"Photoshop",
                                            L"Acrobat Reader",
                                            L"Chrome",
                                            L"Firefox",
                                            L"Edge",
                                            L"Office",
                                            L"Word",
                                            L"Excel",
                                            L"PowerPoint",
                                            L"Outlook",
                                            L"Media Player",
                                            L"AutoCAD",
                                            L"Maya",
                                            L"3ds Max",
                                            L"IntelliJ IDEA",
                                            L"PyCharm",
                                            L"WebStorm",
                                            L"CLion",
                                            L"VirtualBox",
                                            L"Workstation",
                                            L"Illustrator",
                                            L"Premiere Pro",
                                            L"Lightroom",
                                            L"Steam",
                                            L"Audio Console",
                                            L"Control Center",
                                            L"Desktop",
                                            L"Toolbox",
                                            L"Studio",
                                            L"Player",
                                            L"Designer",
                                            L"Server",
                                            L"SQL Developer",
                                            L"Teams",
                                            L"OneNote",
                                            L"Visio",
                                            L"Project",
                                            L"Access",
                                            L"Publisher",
                                            L"QQ",
                                            L"WeChat",
                                            L"WPS Office",
                                            L"\u5FAE\u4FE1",
                                            L"\u7F51\u76D8",
                                            L"\u97F3\u4E50"};
const std::vector<std::wstring> words = {
    L"Code",          L"Reader",           L"Editor", L"Manager",        L"Console",  L"Terminal",
    L"Control Panel", L"Calculator",       L"Paint",  L"Snipping Tool",  L"Recorder", L"Viewer",
    L"Settings",      L"Assistant",        L"Driver", L"Update",         L"Launcher", L"Monitor",
    L"Converter",     L"Installer",        L"Backup", L"Sync",           L"Browser",  L"Compiler",
    L"Debugger",      L"Profiler",         L"Shell",  L"Command Prompt", L"Bash",     L"Safe Mode",
    L"Repair",        L"Migration Wizard", L"Service"};
// Characters common in Chinese program names.
const std::wstring hanzi =
    L"\u8BB0\u4E8B\u672C\u8BA1\u7B97\u5668\u753B\u56FE\u97F3\u4E50\u64AD\u653E\u6D4F\u89C8"
    L"\u7BA1\u7406\u7535\u8111\u8F6F\u4EF6\u5FAE\u4FE1\u5B89\u5168\u536B\u58EB\u538B\u7F29"
    L"\u529E\u516C\u6587\u6863\u8868\u683C\u6E38\u620F\u4E0B\u8F7D\u8F93\u5165\u6CD5\u7F51"
    L"\u76D8\u89C6\u9891\u7F16\u8F91\u5DE5\u5177\u52A9\u624B\u5927\u5E08\u4E91\u94F6\u884C"
    L"\u5E2E\u52A9\u5378\u8F7D\u8BBE\u7F6E\u66F4\u65B0\u5907\u4EFD\u6570\u636E\u5E93";
const std::vector<std::wstring> others = {L"\u30E1\u30E2\u5E33",
                                          L"\u30DA\u30A4\u30F3\u30C8",
                                          L"\u30AB\u30E1\u30E9",
                                          L"R\u00E9sum\u00E9 Builder",
                                          L"\u00C4rger Manager",
                                          L"Caf\u00E9 Menu",
                                          L"C++ Build Tools",
                                          L"Git CMD (Deprecated)",
                                          L"Node.js command prompt",
                                          L"Readme",
                                          L"License",
                                          L"Website",
                                          L"Help",
                                          L"Uninstall",
                                          L"What's New",
                                          L"Release Notes",
                                          L"Documentation"};

template <typename T>
const T& pick(std::mt19937& rng, const std::vector<T>& pool) {
    return pool[rng() % pool.size()];
}

std::wstring some_hanzi(std::mt19937& rng, int least, int most) {
    std::wstring text;
    const int length = least + static_cast<int>(rng() % static_cast<unsigned>(most - least + 1));
    for (int k = 0; k < length; ++k) text.push_back(hanzi[rng() % hanzi.size()]);
    return text;
}

std::wstring version(std::mt19937& rng) {
    switch (rng() % 4) {
        case 0:
            return std::to_wstring(2010 + rng() % 15);
        case 1:
            return std::to_wstring(1 + rng() % 20);
        case 2:
            return std::to_wstring(1 + rng() % 12) + L"." + std::to_wstring(rng() % 10);
        default:
            return std::to_wstring(rng() % 4) + L"." + std::to_wstring(rng() % 30) + L"." +
                   std::to_wstring(rng() % 200);
    }
}

// One shortcut's name in a product's folder.
std::wstring file_name(std::mt19937& rng, const std::wstring& vendor, const std::wstring& product,
                       const std::wstring& release) {
    switch (rng() % 16) {
        case 0:
            return product;
        case 1:
            return product + L" " + release;
        case 2:
            return L"Uninstall " + product;
        case 3:
            return product + L" " + pick(rng, others);
        case 4:
            return product + (rng() % 2 ? L" (x64)" : L" (32-bit)");
        case 5:
            return vendor + L" " + product + L" " + pick(rng, words);
        case 6:
        case 7:
            return pick(rng, words) + L" " + std::to_wstring(1 + rng() % 30);
        case 8:
            return product + L" " + pick(rng, words);
        case 9:
        case 10:
            return some_hanzi(rng, 2, 6);
        case 11:
            return product + some_hanzi(rng, 2, 4);
        case 12:
            return some_hanzi(rng, 2, 3) + L" " + version(rng);
        case 13:
            return pick(rng, others);
        case 14:
            return pick(rng, words) + L" " + pick(rng, words);
        default:
            return vendor + L" " + pick(rng, words) + L" " + version(rng);
    }
}

std::wstring lowered(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : text) out.push_back(static_cast<wchar_t>(std::towlower(c)));
    return out;
}

// A name not yet taken in its folder (names compare without letter case on
// Windows, where they come from).
std::wstring unique_in(std::set<std::wstring>& taken, const std::wstring& name) {
    std::wstring candidate = name;
    for (int n = 2; !taken.insert(lowered(candidate)).second; ++n) {
        candidate = name + L" " + std::to_wstring(n);
    }
    return candidate;
}

struct planned_file {
    std::wstring folder;  // relative, with native separators
    std::wstring name;    // with its extension
    std::wstring target;  // for a shortcut
    std::int32_t use_count = 0;
};

// What the tree holds, the same for every call with the same numbers.
std::vector<planned_file> plan(std::size_t count, std::size_t per_folder) {
    std::mt19937 rng(20240611);
    std::vector<planned_file> files;
    files.reserve(count);
    std::map<std::wstring, std::set<std::wstring>> folders_of_vendor;
    std::set<std::wstring> executable_names;
    const std::wstring sep(1, fs::path::preferred_separator);
    for (std::size_t f = 0; files.size() < count; ++f) {
        const std::wstring& vendor = vendors[f % vendors.size()];
        const std::wstring product = pick(rng, products);
        const std::wstring release = version(rng);
        const std::wstring folder =
            vendor + sep +
            unique_in(folders_of_vendor[vendor], rng() % 3 ? product + L" " + release : product);
        std::set<std::wstring> taken;
        for (std::size_t k = 0; k < per_folder && files.size() < count; ++k) {
            planned_file file;
            file.folder = folder;
            // Executables have no target to tell two equal names apart, and
            // the index would keep one of them: their names are unique
            // throughout, so every file stays an item.
            const bool executable = rng() % 10 == 0;
            const std::wstring stem = file_name(rng, vendor, product, release);
            file.name = executable ? unique_in(executable_names, stem) + L".exe"
                                   : unique_in(taken, stem) + L".lnk";
            taken.insert(lowered(stem_of(file.name)));
            if (!executable) {
                file.target = L"C:\\Program Files\\" + vendor + L"\\" + product + L"\\" +
                              pick(rng, words) + std::to_wstring(f) + L".exe";
            }
            file.use_count = static_cast<std::int32_t>(rng() % 10 == 0 ? 1 + rng() % 50 : 0);
            files.push_back(std::move(file));
        }
    }
    return files;
}

// The item as a scan builds it from a file without localized names or a
// version resource: its stem, its target's stem and the pinyin.
program_item item_of(const fs::path& file, const planned_file& planned) {
    program_item item;
    item.path = file.wstring();
    item.display_name = stem_of(planned.name);
    item.search_text = item.display_name;
    item.target = planned.target;
    if (!item.target.empty()) item.search_text += stem_of(item.target);
    item.search_text += to_pinyin(item.display_name);
    item.use_count = planned.use_count;
    return item;
}

void collect(const fs::path& directory, const std::map<fs::path, const planned_file*>& planned,
             sample_menu& menu) {
    bool has_files = false;
    for (fs::directory_iterator entry(directory), end; entry != end; ++entry) {
        const fs::file_status status = entry->status();
        if (fs::is_directory(status)) {
            collect(entry->path(), planned, menu);
        } else if (const auto found = planned.find(entry->path()); found != planned.end()) {
            menu.items.push_back(item_of(entry->path(), *found->second));
            has_files = true;
        }
    }
    if (has_files) ++menu.folders;
}

}  // namespace

sample_menu make_sample_menu(const fs::path& given_root, std::size_t count,
                             std::size_t per_folder) {
    const std::vector<planned_file> files = plan(count, per_folder);
    // A scan walks absolute paths.
    const fs::path root = fs::absolute(given_root);
    const fs::path stamp =
        root / (".sample-" + std::to_string(count) + "-" + std::to_string(per_folder));
    std::map<fs::path, const planned_file*> planned;
    for (const planned_file& file : files) planned[root / file.folder / file.name] = &file;
    if (!fs::exists(stamp)) {
        fs::remove_all(root);
        for (const auto& [path, file] : planned) {
            fs::create_directories(path.parent_path());
            fs::ofstream(path).close();
        }
        fs::ofstream(stamp).close();
    }
    sample_menu menu;
    menu.root = root;
    collect(root, planned, menu);
    return menu;
}

std::string index_text_in_order(const std::vector<program_item>& items) {
    std::string out = "{\n    \"list\": ";
    if (items.empty()) return out + "\"\"\n}\n";
    out += "[\n";
    for (std::size_t k = 0; k < items.size(); ++k) {
        const program_item& item = items[k];
        out += "        [\n";
        for (const std::wstring* field :
             {&item.display_name, &item.search_text, &item.path, &item.target}) {
            out += "            ";
            append_json_string(out, *field);
            out += ",\n";
        }
        out +=
            "            \"" + std::to_string(static_cast<std::uint32_t>(item.use_count)) + "\"\n";
        out += k + 1 == items.size() ? "        ]\n" : "        ],\n";
    }
    return out + "    ]\n}\n";
}

const sample_menu& kept_menu(std::size_t count, const std::string& name) {
    static std::map<std::pair<std::size_t, std::string>, sample_menu> menus;
    const auto key = std::make_pair(count, name);
    auto found = menus.find(key);
    if (found == menus.end()) {
        const boost::filesystem::path root =
            boost::filesystem::temp_directory_path() /
            ("tolvanir-bench-" + name + "-" + std::to_string(count));
        found = menus.emplace(key, make_sample_menu(root, count)).first;
    }
    return found->second;
}

}  // namespace tolvanir::bench
