#include "index/index_file.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <boost/property_tree/json_parser.hpp>
#include <cwctype>
#include <fstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "config/json_reader.h"
#include "config/program_files.h"
#include "index/present_files.h"
#include "platform/debug_output.h"
#include "platform/file_path.h"
#include "platform/file_replace.h"
#include "platform/utf8.h"

namespace tolvanir {

namespace {

const wchar_t* const index_file_name = L"Index.json";
constexpr int field_count = 5;

// An unsigned 32-bit decimal number with optional surrounding white space;
// anything else gives 0, so one bad count does not cost the rest of the file.
// Wide text, or bytes that are all ASCII (read as the same characters).
template <typename Char>
std::uint32_t parse_use_count(std::basic_string_view<Char> text) {
    const auto space = [&](std::size_t at) {
        return std::iswspace(
            static_cast<wint_t>(static_cast<std::make_unsigned_t<Char>>(text[at])));
    };
    std::size_t i = 0;
    while (i < text.size() && space(i)) ++i;
    const std::size_t start = i;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    if (i == start) return 0;
    while (i < text.size() && space(i)) ++i;
    return i == text.size() ? static_cast<std::uint32_t>(value) : 0;
}

std::uint32_t parse_use_count(const std::wstring& text) {
    return parse_use_count(std::wstring_view(text));
}

// The same for a value in generalized UTF-8.
std::uint32_t parse_stored_use_count(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return parse_use_count(from_wtf8(bytes));
    }
    return parse_use_count(bytes);
}

void set_field(program_item& item, int position, const std::wstring& text) {
    switch (position) {
        case 0:
            item.display_name = text;
            break;
        case 1:
            item.search_text = text;
            break;
        case 2:
            item.path = text;
            break;
        case 3:
            item.target = text;
            break;
        case 4:
            item.use_count = static_cast<std::int32_t>(parse_use_count(text));
            break;
        default:
            break;
    }
}

// Picks the items out of {"list": [[five values], ...]} as the reader reports
// them, exactly as the tree lookup does: the root's first member named
// "list", its children (array or object) as elements, their children by
// position, a nested container counting as an empty value. The fields of an
// element come in position order, so they are gathered back to back and
// packed into the batch's arena as soon as the element ends: the file's
// texts are held once.
class index_events : public json_events {
  public:
    void begin_object() override { begin_container(true); }
    void end_object() override { end_container(); }
    void begin_array() override { begin_container(false); }
    void end_array() override { end_container(); }
    void key(std::string_view text) override {
        if (frames_.size() == 1) key_.assign(text.data(), text.size());
    }
    void value(std::string_view text) override {
        if (next_role() == role::field) set(text);
    }

    // Each item's path is handed to `check` as soon as the item is packed.
    // Room is made ahead for as many items as `bytes` of file can hold, so
    // that nothing is copied as they come; room never used costs no memory.
    explicit index_events(present_files* check = nullptr, std::size_t bytes = 0) : check_(check) {
        const std::size_t items = bytes / smallest_element;
        items_.items.reserve(items);
        items_.uses.reserve(items);
        items_.digests.reserve(items);
        if (check_ != nullptr) check_->reserve(items);
    }

    // The check reads the paths' bytes, which go with the items: it stops
    // first, whether the file was read or not.
    ~index_events() override {
        if (check_ != nullptr) check_->stop();
    }
    index_events(const index_events&) = delete;
    index_events& operator=(const index_events&) = delete;

    packed_items& items() { return items_; }

  private:
    // About the fewest bytes of an element as the program writes it.
    static constexpr std::size_t smallest_element = 100;
    enum class role { other, root, list, element, field };
    struct frame {
        bool object;
        role what;
        int position = 0;  // children seen, for elements
    };

    // The role of a value about to start, from where it stands.
    role next_role() {
        if (frames_.empty()) return role::root;
        frame& parent = frames_.back();
        switch (parent.what) {
            case role::root:
                if (parent.object && !list_found_ && key_ == "list") {
                    list_found_ = true;
                    return role::list;
                }
                return role::other;
            case role::list:
                return role::element;  // a value that is no container has no fields
            case role::element:
                field_ = parent.position++;
                return role::field;
            default:
                return role::other;
        }
    }

    void set(std::string_view text) {
        if (field_ >= field_count) return;
        fields_.append(text.data(), text.size());
        field_end_[field_] = fields_.size();
    }

    void begin_container(bool object) {
        const role what = next_role();
        if (what == role::field) set(std::string_view());
        if (what == role::element) {
            fields_.clear();
            for (std::size_t& end : field_end_) end = 0;
        }
        frames_.push_back({object, what});
    }

    void end_container() {
        if (frames_.back().what == role::element) element_done(frames_.back().position);
        frames_.pop_back();
    }

    void element_done(int fields) {
        // Fields the element lacks are empty.
        for (int k = std::max(fields, 0); k < field_count; ++k) field_end_[k] = fields_.size();
        const auto field = [&](int k) {
            const std::size_t start = k == 0 ? 0 : field_end_[k - 1];
            return std::string_view(fields_).substr(start, field_end_[k] - start);
        };
        if (field(2).empty()) return;
        std::uint64_t characters = 0;
        const packed_item item(items_.texts, field(0), field(1), field(2), field(3), &characters);
        items_.push(item, parse_stored_use_count(field(4)), characters);
        if (check_ != nullptr) check_->add(items_.items.back().path());
    }

    std::vector<frame> frames_;
    std::string fields_;  // the element's fields so far, back to back
    std::size_t field_end_[field_count] = {};
    packed_items items_;
    std::string key_;
    present_files* check_;
    bool list_found_ = false;
    int field_ = 0;
};

// Which of the paths still name regular files.
using presence_test = std::function<std::vector<bool>(const std::vector<std::string_view>&)>;

// Inserts the items whose flag is set, in order.
void insert_present(tolvanir_list& index, packed_items& batch, const std::vector<bool>& exists) {
    batch.keep(exists);
    index.insert_packed(std::move(batch));
}

// Reads the file's elements and inserts those whose file still exists; false
// (nothing inserted) for input that does not parse.
bool load_elements(byte_source& input, tolvanir_list& index, const presence_test& present) {
    index_events events;
    if (!read_json(input, events)) return false;
    std::vector<std::string_view> paths;
    paths.reserve(events.items().items.size());
    for (const packed_item& item : events.items().items) paths.push_back(item.path());
    insert_present(index, events.items(), present(paths));
    return true;
}

// The same with the file system's answer, which is being found while the
// file is still read.
bool load_present_elements(byte_source& input, tolvanir_list& index, std::size_t bytes) {
    present_files check;
    index_events events(&check, bytes);
    if (!read_json(input, events)) return false;
    insert_present(index, events.items(), check.answers());
    return true;
}

// The bytes from the stream's position to its end; 0 when it cannot tell.
std::size_t bytes_left(std::istream& in) {
    const std::istream::pos_type at = in.tellg();
    if (at == std::istream::pos_type(-1) || !in.seekg(0, std::ios::end)) {
        in.clear();
        return 0;
    }
    const std::istream::pos_type end = in.tellg();
    in.seekg(at);
    return end > at ? static_cast<std::size_t>(end - at) : 0;
}

// The file read in pieces, so that a large index is never held whole.
class stream_source : public byte_source {
  public:
    explicit stream_source(std::istream& in) : in_(in) {}
    std::size_t read(char* buffer, std::size_t size) override {
        in_.read(buffer, static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(in_.gcount());
    }

  private:
    std::istream& in_;
};

void append_indent(std::string& out, int levels) {
    out.append(static_cast<std::size_t>(4 * levels), ' ');
}

}  // namespace

bool is_regular_file(const std::wstring& path) {
    boost::system::error_code error;
    return boost::filesystem::status(boost::filesystem::path(path), error).type() ==
           boost::filesystem::regular_file;
}

void load_index_tree(const wptree& tree, tolvanir_list& index, const file_test& exists) {
    const auto list = tree.get_child_optional(L"list");
    if (!list) return;
    for (const auto& element : *list) {
        program_item item;
        int position = 0;
        for (const auto& value : element.second) {
            if (position == field_count) break;
            set_field(item, position++, value.second.data());
        }
        if (!item.path.empty() && exists(item.path)) index.insert_item(std::move(item));
    }
}

bool load_index_text(const std::string& utf8, tolvanir_list& index, const file_test& exists) {
    text_source input(utf8);
    return load_elements(input, index, [&](const std::vector<std::string_view>& paths) {
        std::vector<bool> found;
        for (const std::string_view path : paths) found.push_back(exists(from_wtf8(path)));
        return found;
    });
}

bool load_index_stream(std::istream& in, tolvanir_list& index) {
    stream_source input(in);
    return load_present_elements(input, index, bytes_left(in));
}

wptree index_tree(tolvanir_list& index) {
    index.sort_and_dedupe();
    wptree root;
    wptree& list = root.put_child(L"list", wptree());
    for (const program_item& item : index.copy_items()) {
        // Built in place: the tree copies whole subtrees on insertion.
        wptree& element = list.push_back(std::make_pair(std::wstring(), wptree()))->second;
        for (const std::wstring* field :
             {&item.display_name, &item.search_text, &item.path, &item.target}) {
            element.push_back(std::make_pair(std::wstring(), wptree(*field)));
        }
        const auto uses = static_cast<std::uint32_t>(item.use_count);
        element.push_back(std::make_pair(std::wstring(), wptree(std::to_wstring(uses))));
    }
    return root;
}

std::string index_text(tolvanir_list& index) {
    index.sort_and_dedupe();
    std::string out = "{\n";
    append_indent(out, 1);
    out += "\"list\": ";
    bool any = false;
    index.read_items([&](const item_table& items) {
        const std::vector<std::uint32_t>& order = items.order();
        if (order.empty()) return;
        any = true;
        out += "[\n";
        for (std::size_t k = 0; k < order.size(); ++k) {
            const item_slot& slot = items.slot(order[k]);
            append_indent(out, 2);
            out += "[\n";
            const std::string search = slot.text.search_text();
            for (const std::string_view field : {slot.text.display_name(), std::string_view(search),
                                                 slot.text.path(), slot.text.target()}) {
                append_indent(out, 3);
                append_json_string_wtf8(out, field);
                out += ",\n";
            }
            append_indent(out, 3);
            out += '"' + std::to_string(slot.use_count) + "\"\n";
            append_indent(out, 2);
            out += k + 1 == order.size() ? "]\n" : "],\n";
        }
        append_indent(out, 1);
        out += "]";
    });
    // A member without children is written as a value.
    if (!any) out += "\"\"";
    out += "\n}\n";
    return out;
}

file_read load_index(tolvanir_list& index, const boost::filesystem::path& file) {
    std::ifstream in;
    const file_read found = open_data_file(file, in);
    if (found != file_read::read) return found;
    stream_source input(in);
    if (load_present_elements(input, index, bytes_left(in))) return file_read::read;
    if (in.bad()) return file_read::unreadable;
    in.close();
    move_aside(file);
    return file_read::broken;
}

file_read read_stored_items(const boost::filesystem::path& file, stored_items& stored,
                            int attempts) {
    std::ifstream in;
    const file_read found = open_data_file(file, in, attempts);
    if (found != file_read::read) return found;
    stream_source input(in);
    index_events events(nullptr, bytes_left(in));
    if (read_json(input, events)) {
        stored = std::move(events.items());
        return file_read::read;
    }
    if (in.bad()) return file_read::unreadable;
    in.close();
    move_aside(file);
    return file_read::broken;
}

bool save_index(tolvanir_list& index, const boost::filesystem::path& file, file_read found) {
    if (replace_data_file(file, found,
                          [&] { return replace_file_contents(file, index_text(index)); })) {
        return true;
    }
    debug_output(L"Index.json not written: write error");
    return false;
}

boost::filesystem::path index_file_path() { return data_file_path(index_file_name); }

file_read load_index(tolvanir_list& index) {
    return load_index(index, data_file_path(index_file_name));
}

bool save_index(tolvanir_list& index, file_read found) {
    return save_index(index, data_file_path(index_file_name), found);
}

}  // namespace tolvanir
