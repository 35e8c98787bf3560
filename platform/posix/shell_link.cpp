#include "platform/shell_link.h"

#include <liblnk.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/utf8.h"

namespace tolvanir {

namespace {

static_assert(sizeof(wchar_t) == 4, "POSIX wide strings hold code points");

// GetPath fills a MAX_PATH buffer: 259 UTF-16 units and the terminator.
constexpr std::size_t max_path_units = 259;

// The liblnk objects, freed on every way out.
class lnk_file {
  public:
    lnk_file() {
        if (liblnk_file_initialize(&file_, &error_) != 1) {
            drop_error();
            file_ = nullptr;
        }
    }
    ~lnk_file() {
        if (file_ != nullptr) {
            if (open_) liblnk_file_close(file_, nullptr);
            liblnk_file_free(&file_, nullptr);
        }
        drop_error();
    }
    lnk_file(const lnk_file&) = delete;
    lnk_file& operator=(const lnk_file&) = delete;

    bool open(const std::string& path) {
        if (file_ == nullptr) return false;
        open_ = liblnk_file_open(file_, path.c_str(), LIBLNK_OPEN_READ, &error_) == 1;
        drop_error();
        return open_;
    }

    // 1 with the string (without its terminator) in `units`, 0 when the link
    // has no such string, -1 when it cannot be read.
    template <typename SizeGetter, typename Getter>
    int utf16(SizeGetter get_size, Getter get, std::vector<std::uint16_t>& units) {
        std::size_t size = 0;
        int result = get_size(file_, &size, &error_);
        if (result == 1 && size > 0) {
            units.assign(size, 0);
            result = get(file_, units.data(), size, &error_);
        } else if (result == 1) {
            result = 0;
        }
        drop_error();
        if (result != 1) return result < 0 ? -1 : 0;
        // The size counts the terminator; stop at the first one regardless.
        std::size_t length = 0;
        while (length < units.size() && units[length] != 0) ++length;
        units.resize(length);
        return 1;
    }

  private:
    void drop_error() {
        if (error_ != nullptr) liblnk_error_free(&error_);
        error_ = nullptr;
    }

    liblnk_file_t* file_ = nullptr;
    liblnk_error_t* error_ = nullptr;
    bool open_ = false;
};

// liblnk 20181227 (Debian 12) decodes a surrogate pair 0x3FF too low (it
// subtracts the end of the low-surrogate range instead of its start) and
// re-encodes the result: U+20000 comes back as U+1FC01. Any pair in its
// output is such a shifted character; the few it pushes into the Basic
// Multilingual Plane (U+10000..U+103FE) cannot be told from real ones.
bool shifts_supplementary_characters() {
    static const bool shifts = std::strcmp(liblnk_get_version(), "20181227") == 0;
    return shifts;
}

// Decodes UTF-16 and cuts where a 260-unit buffer would, without splitting
// a pair; a lone surrogate becomes U+FFFD.
std::wstring to_wide(const std::vector<std::uint16_t>& units) {
    const std::uint32_t shift = shifts_supplementary_characters() ? 0x3FF : 0;
    std::wstring text;
    std::size_t used = 0;
    for (std::size_t i = 0; i < units.size();) {
        const std::uint32_t unit = units[i];
        std::uint32_t code_point = unit;
        std::size_t width = 1;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code_point = 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            if (code_point + shift <= 0x10FFFF) code_point += shift;
            width = 2;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            code_point = 0xFFFD;
        }
        if (used + width > max_path_units) break;
        text.push_back(static_cast<wchar_t>(code_point));
        used += width;
        i += width;
    }
    return text;
}

}  // namespace

std::wstring resolve_shortcut(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) return {};
    const std::string name = to_utf8(path);
    // Regular files only: opening a FIFO would block until someone writes.
    struct stat info;
    if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    lnk_file file;
    if (!file.open(name)) return {};

    // The order in which the shell's raw path takes its sources.
    std::vector<std::uint16_t> units;
    int found = file.utf16(liblnk_file_get_utf16_environment_variables_location_size,
                           liblnk_file_get_utf16_environment_variables_location, units);
    if (found == 1 && units.empty()) found = 0;
    if (found == 0) {
        found = file.utf16(liblnk_file_get_utf16_local_path_size, liblnk_file_get_utf16_local_path,
                           units);
        if (found == 1 && units.empty()) found = 0;
    }
    if (found == 0) {
        found = file.utf16(liblnk_file_get_utf16_relative_path_size,
                           liblnk_file_get_utf16_relative_path, units);
    }
    if (found != 1) return {};
    return to_wide(units);
}

}  // namespace tolvanir
