#include "index/index_file.h"

#include <boost/filesystem/operations.hpp>
#include <boost/property_tree/json_parser.hpp>
#include <cwctype>
#include <string>
#include <vector>

#include "config/program_files.h"
#include "platform/debug_output.h"
#include "platform/file_replace.h"

namespace tolvanir {

namespace {

const wchar_t* const index_file_name = L"Index.json";
constexpr int field_count = 5;

// An unsigned 32-bit decimal number with optional surrounding white space;
// anything else gives 0, so one bad count does not cost the rest of the file.
std::uint32_t parse_use_count(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    const std::size_t start = i;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - L'0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    if (i == start) return 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    return i == text.size() ? static_cast<std::uint32_t>(value) : 0;
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

// Reader callbacks that pick the items out of {"list": [[five values], ...]}
// exactly as the tree lookup does: the root's first member named "list", its
// children (array or object) as elements, their children by position, a
// nested container counting as an empty value.
class index_events {
  public:
    using char_type = wchar_t;

    void on_null() { leaf_value(L"null"); }
    void on_boolean(bool b) { leaf_value(b ? L"true" : L"false"); }
    template <typename Range>
    void on_number(Range units) {
        begin_leaf();
        text_.assign(units.begin(), units.end());
        end_leaf();
    }
    void on_begin_number() { begin_leaf(); }
    void on_digit(wchar_t c) { text_ += c; }
    void on_end_number() { end_leaf(); }
    void on_begin_string() {
        if (!frames_.empty() && frames_.back().object && frames_.back().want_key) {
            in_key_ = true;
            key_.clear();
            return;
        }
        begin_leaf();
    }
    template <typename Range>
    void on_code_units(Range units) {
        (in_key_ ? key_ : text_).append(units.begin(), units.end());
    }
    void on_code_unit(wchar_t c) { (in_key_ ? key_ : text_) += c; }
    void on_end_string() {
        if (in_key_) {
            in_key_ = false;
            frames_.back().want_key = false;
            return;
        }
        end_leaf();
    }
    void on_begin_array() { begin_container(false); }
    void on_end_array() { end_container(); }
    void on_begin_object() { begin_container(true); }
    void on_end_object() { end_container(); }

    std::vector<program_item>& items() { return items_; }

  private:
    enum class role { other, root, list, element, field };
    struct frame {
        bool object;
        role what;
        bool want_key = true;
        int position = 0;  // children seen, for elements
    };

    // The role of a value about to start, from where it stands.
    role next_role() {
        if (frames_.empty()) return role::root;
        frame& parent = frames_.back();
        switch (parent.what) {
            case role::root:
                if (parent.object && !list_found_ && key_ == L"list") {
                    list_found_ = true;
                    return role::list;
                }
                return role::other;
            case role::list:
                items_.emplace_back();
                return role::element;
            case role::element:
                field_ = parent.position++;
                return role::field;
            default:
                return role::other;
        }
    }

    void value_done() {
        if (!frames_.empty() && frames_.back().object) frames_.back().want_key = true;
    }

    void begin_leaf() {
        leaf_role_ = next_role();
        text_.clear();
    }
    void end_leaf() {
        if (leaf_role_ == role::field) set_field(items_.back(), field_, text_);
        value_done();
    }
    void leaf_value(const wchar_t* text) {
        begin_leaf();
        text_ = text;
        end_leaf();
    }

    void begin_container(bool object) {
        const role what = next_role();
        if (what == role::field) set_field(items_.back(), field_, std::wstring());
        frames_.push_back({object, what});
    }
    void end_container() {
        frames_.pop_back();
        value_done();
    }

    std::vector<frame> frames_;
    std::vector<program_item> items_;
    std::wstring key_, text_;
    bool in_key_ = false;
    bool list_found_ = false;
    role leaf_role_ = role::other;
    int field_ = 0;
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
    index_events events;
    if (!parse_json_events(utf8, events)) return false;
    for (program_item& item : events.items()) {
        if (!item.path.empty() && exists(item.path)) index.insert_item(std::move(item));
    }
    return true;
}

wptree index_tree(tolvanir_list& index) {
    index.sort_and_dedupe();
    wptree root;
    wptree& list = root.put_child(L"list", wptree());
    index.read_items([&](const std::list<program_item>& items, std::uint64_t) {
        for (const program_item& item : items) {
            // Built in place: the tree copies whole subtrees on insertion.
            wptree& element = list.push_back(std::make_pair(std::wstring(), wptree()))->second;
            for (const std::wstring* field :
                 {&item.display_name, &item.search_text, &item.path, &item.target}) {
                element.push_back(std::make_pair(std::wstring(), wptree(*field)));
            }
            const auto uses = static_cast<std::uint32_t>(item.use_count);
            element.push_back(std::make_pair(std::wstring(), wptree(std::to_wstring(uses))));
        }
    });
    return root;
}

std::string index_text(tolvanir_list& index) {
    index.sort_and_dedupe();
    std::string out = "{\n";
    append_indent(out, 1);
    out += "\"list\": ";
    bool any = false;
    index.read_items([&](const std::list<program_item>& items, std::uint64_t) {
        if (items.empty()) return;
        any = true;
        out += "[\n";
        for (auto it = items.begin(); it != items.end(); ++it) {
            append_indent(out, 2);
            out += "[\n";
            for (const std::wstring* field :
                 {&it->display_name, &it->search_text, &it->path, &it->target}) {
                append_indent(out, 3);
                append_json_string(out, *field);
                out += ",\n";
            }
            append_indent(out, 3);
            out += '"' + std::to_string(static_cast<std::uint32_t>(it->use_count)) + "\"\n";
            append_indent(out, 2);
            out += std::next(it) == items.end() ? "]\n" : "],\n";
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
    std::string bytes;
    const file_read found = read_file_bytes(file, bytes);
    if (found != file_read::read) return found;
    if (load_index_text(bytes, index)) return file_read::read;
    move_aside(file);
    return file_read::broken;
}

bool save_index(tolvanir_list& index, const boost::filesystem::path& file, file_read found) {
    keep_unread_file(file, found);
    if (replace_file_contents(file, index_text(index))) return true;
    debug_output(L"Index.json not written: write error");
    return false;
}

file_read load_index(tolvanir_list& index) {
    return load_index(index, data_file_path(index_file_name));
}

bool save_index(tolvanir_list& index, file_read found) {
    return save_index(index, data_file_path(index_file_name), found);
}

}  // namespace tolvanir
