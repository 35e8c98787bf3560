// Every JSON file of the program is read and written here, one way: UTF-8
// without a byte-order mark outside, wide strings inside, Boost.PropertyTree's
// reader and pretty writer in between.
#pragma once

#include <boost/filesystem/path.hpp>
#include <boost/property_tree/json_parser/detail/read.hpp>
#include <boost/property_tree/ptree.hpp>
#include <exception>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

namespace tolvanir {

using boost::property_tree::wptree;

// Deeper nesting than this is refused instead of parsed: the reader recurses
// once per level, and no file of ours comes near it.
constexpr int max_json_depth = 128;

// Decodes UTF-8 JSON text for the reader, blanking comments; false for text
// that is not UTF-8 or nests too deeply.
[[nodiscard]] bool prepare_json_text(const std::string& utf8, std::wstring& wide);

// Runs Boost's JSON reader over UTF-8 text, reporting to `callbacks` (the
// interface of the reader's standard_callbacks) instead of building a tree:
// the same grammar and the same failures, without a node per value.
template <typename Callbacks>
[[nodiscard]] bool parse_json_events(const std::string& utf8, Callbacks& callbacks) {
    std::wstring wide;
    if (!prepare_json_text(utf8, wide)) return false;
    try {
        namespace reader = boost::property_tree::json_parser::detail;
        reader::wide_wide_encoding encoding;
        const wchar_t* const begin = wide.data();
        reader::read_json_internal(begin, begin + wide.size(), encoding, callbacks, std::string());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// What reading a data file found.
enum class file_read {
    read,        // read (and, for JSON, parsed)
    missing,     // no such file
    unreadable,  // there, but it could not be read: held open by another program, too large
    broken,      // read but not parsed; moved aside
};

// How often a file that exists but cannot be opened is tried, 50 ms apart:
// about a second at start, before the keyboard hook is in place; once where
// the caller must not wait (it tries again later).
constexpr int start_read_attempts = 20;
constexpr int one_read_attempt = 1;

// Opens the file for reading. One that exists but cannot be opened (another
// program holds it without sharing it, a backup or a virus scan) is tried
// `attempts` times before it counts as unreadable; one beyond the size any
// file of ours reaches is unreadable at once.
[[nodiscard]] file_read open_data_file(const boost::filesystem::path& file, std::ifstream& in,
                                       int attempts = start_read_attempts);
// The whole file, opened as above.
[[nodiscard]] file_read read_file_bytes(const boost::filesystem::path& file, std::string& bytes,
                                        int attempts = start_read_attempts);
// Moves a file that was read but does not parse to the same name with ".bad"
// appended (replacing an older one), so nothing the user wrote is destroyed.
void move_aside(const boost::filesystem::path& file);
// Replaces a data file through `write` (true when it wrote). A file that
// could not be read in the whole run holds what the user had: it is kept
// under a name of its own first (config/kept_file.h), and gets its name back
// when the write fails; one held so that nothing can replace it is left as it
// is. So it is never lost, nor left twice. False when nothing was written.
[[nodiscard]] bool replace_data_file(const boost::filesystem::path& file, file_read found,
                                     const std::function<bool()>& write);

// Parses UTF-8 JSON text into the tree. Text that is not UTF-8, not JSON, or
// nested too deeply fails and leaves the tree as it was.
[[nodiscard]] bool parse_json_text(const std::string& utf8, wptree& tree);

// The tree as pretty-printed UTF-8: four spaces per level, every value a
// string, characters beyond U+00FF as \uXXXX escapes (surrogate pairs beyond
// U+FFFF), ending with one line end. Throws json_parser_error for a tree JSON
// cannot represent.
[[nodiscard]] std::string format_json_text(const wptree& tree);

// Appends the value as the writer above writes it: quoted, escaped the same
// way, in UTF-8. For writers that produce JSON without building a tree.
void append_json_string(std::string& out, const std::wstring& value);
// The same for a value held in generalized UTF-8 (platform/utf8.h).
void append_json_string_wtf8(std::string& out, std::string_view value);

// True when the file was read and parsed into the tree; false leaves the tree
// as it was. A file that was read but does not parse is moved aside to the
// same name with ".bad" appended, so the defaults apply from now on and
// nothing the user wrote is destroyed.
[[nodiscard]] bool read_json_file(wptree& tree, const boost::filesystem::path& file);
// The same, telling why nothing was read.
[[nodiscard]] file_read load_json_file(wptree& tree, const boost::filesystem::path& file,
                                       int attempts = start_read_attempts);

// Replaces the file with the formatted tree, durably: a crash leaves the old
// file or the new one. Throws json_parser_error ("write error") on failure.
void write_json_file(const wptree& tree, const boost::filesystem::path& file);

}  // namespace tolvanir
