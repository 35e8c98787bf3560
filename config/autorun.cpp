#include "config/autorun.h"

#include "config/language.h"
#include "platform/message_box.h"

namespace tolvanir {

namespace {

// MB_ICONQUESTION, which platform/message_box.h does not name.
constexpr unsigned message_box_icon_question = 0x20;
constexpr unsigned temp_question_flags =
    message_box_yes_no | message_box_icon_question | message_box_default_button2;

// _wcsicmp as the program runs it, in the C locale: only A-Z fold.
wchar_t fold_ascii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

bool equal_ignoring_case(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold_ascii(a[i]) != fold_ascii(b[i])) return false;
    }
    return true;
}

// Closes the store however the caller leaves, an exception from `ask` included.
class store_closer {
  public:
    explicit store_closer(autorun_store& store) : store_(store) {}
    ~store_closer() { store_.close(); }
    store_closer(const store_closer&) = delete;
    store_closer& operator=(const store_closer&) = delete;

  private:
    autorun_store& store_;
};

// Leaves the store open; the caller closes it.
bool holds_value(autorun_store& store, const std::wstring& value_data) {
    // An unknown executable matches nothing, not even an empty stored value.
    if (value_data.empty() || !store.open_for_reading()) return false;
    const auto stored = store.read_value();
    return stored && equal_ignoring_case(*stored, value_data);
}

}  // namespace

std::wstring quote_if_spaced(const std::wstring& path) {
    return path.find(L' ') == std::wstring::npos ? path : L'"' + path + L'"';
}

bool is_autorun_enabled(autorun_store& store, const std::wstring& value_data) {
    const store_closer closer(store);
    return holds_value(store, value_data);
}

bool is_autorun_disabled(autorun_store& store, const std::wstring& value_data) {
    return !is_autorun_enabled(store, value_data);
}

void toggle_autorun(autorun_store& store, const std::wstring& value_data,
                    const autorun_question& ask) {
    const store_closer closer(store);
    if (!store.open_for_writing()) return;
    if (holds_value(store, value_data)) {
        store.delete_value();
        return;
    }
    if (value_data.empty()) return;
    // A program started from a temporary folder (an archive opened in place)
    // may be gone by the next logon. Case matters: "C:\TEMP" is not asked about.
    if (value_data.find(L"Temp") != std::wstring::npos &&
        ask(text(L"autorun_tip"), temp_question_flags) == message_box_result_no) {
        return;
    }
    store.write_value(value_data);
}

bool is_autorun_enabled() {
    const auto store = current_user_autorun_store();
    return is_autorun_enabled(*store, autorun_value_data());
}

bool is_autorun_disabled() { return !is_autorun_enabled(); }

void toggle_autorun() {
    const auto store = current_user_autorun_store();
    toggle_autorun(*store, autorun_value_data(), [](const std::wstring& message, unsigned flags) {
        return message_box(message, flags);
    });
}

}  // namespace tolvanir
