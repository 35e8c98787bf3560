#include "platform/autorun_store.h"

#include <unistd.h>

#include <boost/filesystem/operations.hpp>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "config/autorun.h"
#include "platform/file_replace.h"
#include "platform/program_directory.h"
#include "platform/utf8.h"

namespace tolvanir {

namespace fs = boost::filesystem;

namespace {

// An entry file is a few lines; a larger one is not ours and is not read.
constexpr std::streamsize max_entry_bytes = 64 * 1024;

// $XDG_CONFIG_HOME/autostart, else $HOME/.config/autostart; empty when
// neither names an absolute directory (XDG ignores relative ones).
fs::path autostart_directory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return fs::path(config) / "autostart";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return fs::path(home) / ".config" / "autostart";
    return fs::path();
}

// Characters that oblige the Exec key to quote an argument.
bool reserved_in_exec(wchar_t c) {
    return std::wstring_view(L" \t\n\"'\\><~|&;$*?#()`").find(c) != std::wstring_view::npos;
}

bool escaped_in_quotes(wchar_t c) { return c == L'"' || c == L'`' || c == L'$' || c == L'\\'; }

// One argument in the Exec key's quoting; '%' is doubled so that it is not
// taken for a field code such as %f.
std::wstring exec_argument(const std::wstring& arg) {
    bool quote = arg.empty();
    for (const wchar_t c : arg) quote = quote || reserved_in_exec(c);
    std::wstring out;
    if (quote) out += L'"';
    for (const wchar_t c : arg) {
        if (c == L'%') {
            out += L"%%";
            continue;
        }
        if (quote && escaped_in_quotes(c)) out += L'\\';
        out += c;
    }
    if (quote) out += L'"';
    return out;
}

// The arguments of an Exec value; nullopt for an unterminated quote.
std::optional<std::vector<std::wstring>> split_exec(const std::wstring& exec) {
    std::vector<std::wstring> args;
    std::wstring arg;
    bool in_arg = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const wchar_t c = exec[i];
        const wchar_t next = i + 1 < exec.size() ? exec[i + 1] : L'\0';
        if (!quoted && c == L' ') {
            if (in_arg) args.push_back(arg);
            arg.clear();
            in_arg = false;
            continue;
        }
        in_arg = true;
        if (c == L'"') {
            quoted = !quoted;
        } else if (c == L'%' && next == L'%') {
            arg += L'%';
            ++i;
        } else if (quoted && c == L'\\' && escaped_in_quotes(next)) {
            arg += next;
            ++i;
        } else {
            arg += c;
        }
    }
    if (quoted) return std::nullopt;
    if (in_arg) args.push_back(arg);
    return args;
}

// The escapes of a desktop entry's string values, which keep a line break
// in the path from ending the line and starting a key of its own.
std::wstring escape_string(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += L"\\\\";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\t':
                out += L"\\t";
                break;
            case L'\r':
                out += L"\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::wstring unescape_string(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
        if (text[i] != L'\\') {
            out += text[i];
            continue;
        }
        switch (next) {
            case L's':
                out += L' ';
                break;
            case L'n':
                out += L'\n';
                break;
            case L't':
                out += L'\t';
                break;
            case L'r':
                out += L'\r';
                break;
            case L'\\':
                out += L'\\';
                break;
            default:
                out += L'\\';
                continue;  // not an escape: kept as it stands
        }
        ++i;
    }
    return out;
}

std::wstring trim(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// The stored command: the Exec key of the [Desktop Entry] group, unless the
// entry is one the desktop skips.
std::optional<std::wstring> exec_of_entry(const std::wstring& file_text) {
    std::optional<std::wstring> exec;
    bool in_entry = false;
    bool skipped = false;
    std::size_t start = 0;
    while (start <= file_text.size()) {
        std::size_t end = file_text.find(L'\n', start);
        if (end == std::wstring::npos) end = file_text.size();
        std::wstring line = file_text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        line = trim(line);
        if (line.empty() || line[0] == L'#') continue;
        if (line[0] == L'[') {
            in_entry = line == L"[Desktop Entry]";
            continue;
        }
        const auto equals = line.find(L'=');
        if (!in_entry || equals == std::wstring::npos) continue;
        const std::wstring key = trim(line.substr(0, equals));
        const std::wstring value = trim(line.substr(equals + 1));
        // Later keys override earlier ones, as desktop readers take them.
        if (key == L"Exec") exec = unescape_string(value);
        if (key == L"Hidden") skipped = value == L"true";
        if (key == L"X-GNOME-Autostart-enabled") skipped = skipped || value == L"false";
    }
    if (skipped) return std::nullopt;
    return exec;
}

class xdg_autorun_store : public autorun_store {
  public:
    bool open_for_reading() override {
        file_ = entry_file();
        return !file_.empty();
    }

    std::optional<std::wstring> read_value() override {
        if (file_.empty()) return std::nullopt;
        std::ifstream in(file_.c_str(), std::ios::binary);
        if (!in) return std::nullopt;
        std::string bytes(static_cast<std::size_t>(max_entry_bytes) + 1, '\0');
        in.read(bytes.data(), max_entry_bytes + 1);
        if (in.bad() || in.gcount() > max_entry_bytes) return std::nullopt;
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        std::optional<std::wstring> exec;
        try {
            exec = exec_of_entry(from_utf8(bytes));
        } catch (const std::range_error&) {
            return std::nullopt;
        }
        if (!exec) return std::nullopt;
        // A single argument is a program path; anything else is returned as
        // it stands and matches no path.
        const auto args = split_exec(*exec);
        if (!args || args->size() != 1) return exec;
        return quote_if_spaced(args->front());
    }

    bool open_for_writing() override {
        writable_ = false;
        file_ = entry_file();
        if (file_.empty()) return false;
        const fs::path dir = file_.parent_path();
        boost::system::error_code error;
        fs::create_directories(dir, error);
        if (!fs::is_directory(dir, error)) return false;
        writable_ = ::access(dir.c_str(), W_OK | X_OK) == 0;
        return writable_;
    }

    bool write_value(const std::wstring& data) override {
        // A NUL would end the line early for some readers and corrupt it for others.
        if (!writable_ || data.find(L'\0') != std::wstring::npos) return false;
        // The data is one program path, quoted when it has a space.
        std::wstring path = data;
        if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
            path = path.substr(1, path.size() - 2);
        }
        const std::wstring entry = L"[Desktop Entry]\nType=Application\nName=Tolvanir\nExec=" +
                                   escape_string(exec_argument(path)) + L"\n";
        return replace_file_contents(file_, to_utf8(entry));
    }

    bool delete_value() override { return writable_ && ::unlink(file_.c_str()) == 0; }

    void close() override {
        file_.clear();
        writable_ = false;
    }

  private:
    static fs::path entry_file() {
        const fs::path dir = autostart_directory();
        return dir.empty() ? fs::path() : dir / "Tolvanir.desktop";
    }

    fs::path file_;
    bool writable_ = false;
};

}  // namespace

std::unique_ptr<autorun_store> current_user_autorun_store() {
    return std::make_unique<xdg_autorun_store>();
}

std::wstring autorun_value_data() {
    const fs::path exe = executable_path();
    if (exe.empty()) return std::wstring();
    try {
        return quote_if_spaced(from_utf8(exe.lexically_normal().string()));
    } catch (const std::range_error&) {
        return std::wstring();  // a desktop entry holds UTF-8 only
    }
}

}  // namespace tolvanir
