#include "config/language.h"

#include "config/program_files.h"
#include "platform/builtin_language.h"
#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "platform/ui_language.h"

namespace tolvanir {

wptree& language_table() {
    static wptree table;
    return table;
}

boost::filesystem::path language_file_path(const std::wstring& file_name) {
    return program_directory() / L"Lang" / file_name;
}

void load_language_table() {
    load_language_table(language_table(), language_file_path(ui_language_name() + L".json"),
                        builtin_language_bytes());
}

void load_language_table(wptree& table, const boost::filesystem::path& lang_file,
                         const std::optional<std::string>& builtin_bytes) {
    // Nothing of an earlier load may survive a failed one.
    table.clear();
    if (read_json_file(table, lang_file)) return;
    if (!builtin_bytes) return;
    if (!parse_json_text(*builtin_bytes, table)) {
        debug_output(L"the built-in language table is not valid UTF-8 JSON; texts show their keys");
    }
}

std::wstring text(const std::wstring& key) { return text(language_table(), key); }

std::wstring text(const wptree& table, const std::wstring& key) {
    const auto node = table.get_child_optional(wptree::path_type(key, L'.'));
    return node ? node->data() : key;
}

int message_box(const std::wstring& message, unsigned flags) {
    return show_message_box(message, text(L"name"), flags);
}

}  // namespace tolvanir
