// The language table from arbitrary built-in bytes (no language file): it
// either holds what the bytes parse to or is empty, and every lookup answers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "config/json_file.h"
#include "config/language.h"
#include "fuzz_check.h"

using namespace tolvanir;
using fuzz::require;

namespace {

const wchar_t* const keys[] = {L"name",
                               L"title",
                               L"platform_error",
                               L"tray_title",
                               L"tray_info",
                               L"about_info",
                               L"about",
                               L"exit",
                               L"append",
                               L"autorun_enable",
                               L"autorun_disable",
                               L"autorun_tip",
                               L"name.x",
                               L"a.b.c",
                               L".",
                               L"..",
                               L"name.",
                               L".name",
                               L"",
                               L"a..b.c",
                               L"list.0"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    wptree table;
    table.put(L"stale", L"from an earlier load");
    load_language_table(table, "/nonexistent-tolvanir-fuzz/Lang/xx.json",
                        std::optional<std::string>(bytes));

    wptree expected;
    if (parse_json_text(bytes, expected)) {
        require(table == expected, "the table is not what the built-in bytes parse to");
    } else {
        require(table.empty() && table.data().empty(), "a failed load left texts behind");
    }
    for (const wchar_t* key : keys) {
        const std::wstring shown = text(table, key);
        if (table.empty() && table.data().empty() && *key != L'\0') {
            require(shown == key, "a missing text does not show its key");
        }
    }
    return 0;
}
