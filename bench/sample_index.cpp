#include "sample_index.h"

#include <random>
#include <string>
#include <vector>

#include "index/pinyin.h"

namespace tolvanir::bench {

namespace {

const std::vector<std::wstring> vendors = {
    L"Microsoft", L"Adobe", L"Google", L"Mozilla", L"JetBrains", L"Oracle", L"Valve", L"Tencent",
    L"Autodesk",  L"Corel", L"Intel",  L"NVIDIA",  L"VideoLAN",  L"Python", L"Git",   L"Notepad++"};
const std::vector<std::wstring> words = {
    L"Visual",  L"Studio",  L"Code",       L"Photoshop",  L"Reader",   L"Chrome",  L"Firefox",
    L"Edge",    L"Word",    L"Excel",      L"PowerPoint", L"Outlook",  L"Player",  L"Media",
    L"Editor",  L"Manager", L"Setup",      L"Uninstall",  L"Help",     L"Console", L"Terminal",
    L"Control", L"Panel",   L"Calculator", L"Paint",      L"Snipping", L"Tool",    L"Recorder",
    L"Viewer",  L"Studio",  L"Designer",   L"Server"};
// Common characters of Chinese program names.
const std::wstring hanzi =
    L"\u8BB0\u4E8B\u672C\u8BA1\u7B97\u5668\u753B\u56FE\u97F3\u4E50\u64AD\u653E\u6D4F\u89C8"
    L"\u7BA1\u7406\u7535\u8111\u8F6F\u4EF6\u5FAE\u4FE1\u5B89\u5168\u536B\u58EB\u538B\u7F29"
    L"\u529E\u516C\u6587\u6863\u8868\u683C\u6E38\u620F\u4E0B\u8F7D\u8F93\u5165\u6CD5\u7F51"
    L"\u76D8\u89C6\u9891\u7F16\u8F91\u5DE5\u5177\u52A9\u624B\u5927\u5E08\u4E91\u97F3";

template <typename T>
const T& pick(std::mt19937& rng, const std::vector<T>& v) {
    return v[rng() % v.size()];
}

// The n-th kind of name in turn: English, Chinese, a vendor with Chinese.
std::wstring sample_name(std::mt19937& rng, std::size_t n) {
    std::wstring name;
    switch (n % 3) {
        case 0:
            name = pick(rng, vendors) + L" " + pick(rng, words) + L" " + pick(rng, words);
            if (rng() % 2) name += L" " + std::to_wstring(2000 + rng() % 30);
            break;
        case 1:
            for (int k = 0, len = 2 + static_cast<int>(rng() % 4); k < len; ++k) {
                name.push_back(hanzi[rng() % hanzi.size()]);
            }
            break;
        default:
            name = pick(rng, vendors) + L" ";
            for (int k = 0; k < 3; ++k) name.push_back(hanzi[rng() % hanzi.size()]);
            break;
    }
    return name;
}

}  // namespace

std::vector<std::wstring> sample_display_names(std::size_t count) {
    std::mt19937 rng(12345);
    std::vector<std::wstring> names;
    names.reserve(count);
    for (std::size_t n = 0; n < count; ++n) names.push_back(sample_name(rng, n));
    return names;
}

void fill_sample_index(tolvanir_list& index, std::size_t count) {
    std::mt19937 rng(12345);
    for (std::size_t n = 0; n < count; ++n) {
        const std::wstring name = sample_name(rng, n);
        program_item item;
        item.display_name = name;
        item.path = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\" +
                    pick(rng, vendors) + L"\\" + name + L" " + std::to_wstring(n) + L".lnk";
        item.target =
            L"C:\\Program Files\\" + pick(rng, vendors) + L"\\" + pick(rng, words) + L".exe";
        std::wstring stem = name + std::to_wstring(n);
        std::wstring search;
        for (wchar_t c : name + stem + pick(rng, words) + to_pinyin(name)) {
            if (c != L' ') search.push_back(c);
        }
        item.search_text = search;
        item.use_count = static_cast<std::int32_t>(rng() % 10 == 0 ? rng() % 50 : 0);
        index.insert_item(std::move(item));
    }
}

}  // namespace tolvanir::bench
