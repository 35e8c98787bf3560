// Starting at logon: the rules against a stand-in store, then the real store
// of each platform (the registry under Wine, an XDG autostart entry natively).
#include "config/autorun.h"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/language.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "platform/utf8.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;
using testing::read_bytes;
using testing::temp_dir;
using testing::write_bytes;

constexpr bool windows_build = fs::path::preferred_separator == L'\\';

// MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2: "no" is the default.
constexpr unsigned temp_question_flags = 0x124;

const std::wstring ours = LR"("C:\Program Files\Tolvanir\Tolvanir.exe")";

// Holds one value; insists on being opened before use, and tells whether it
// was left open.
class fake_store : public autorun_store {
  public:
    explicit fake_store(std::optional<std::wstring> stored = std::nullopt)
        : value(std::move(stored)) {}

    bool open_for_reading() override { return reading = can_read; }
    std::optional<std::wstring> read_value() override {
        EXPECT_TRUE(reading) << "read without opening";
        return reading ? value : std::nullopt;
    }
    bool open_for_writing() override { return writing = can_write; }
    bool write_value(const std::wstring& data) override {
        EXPECT_TRUE(writing) << "written without opening";
        if (!writing) return false;
        value = data;
        return true;
    }
    bool delete_value() override {
        EXPECT_TRUE(writing) << "deleted without opening";
        if (!writing || !value) return false;
        value.reset();
        return true;
    }
    void close() override { reading = writing = false; }

    bool is_open() const { return reading || writing; }

    std::optional<std::wstring> value;
    bool can_read = true;
    bool can_write = true;

  private:
    bool reading = false;
    bool writing = false;
};

struct question {
    std::wstring text;
    unsigned flags;
};

// Answers every question with `answer` and keeps what was asked.
struct answering {
    explicit answering(int answer) : answer(answer) {}
    autorun_question ask() {
        return [this](const std::wstring& text, unsigned flags) {
            asked.push_back({text, flags});
            return answer;
        };
    }
    int answer;
    std::vector<question> asked;
};

TEST(AutorunQuoting, QuotesExactlyThePathsWithASpace) {
    const struct {
        std::wstring path;
        std::wstring data;
    } cases[] = {
        {LR"(C:\Program Files\Tolvanir\Tolvanir.exe)", ours},
        {LR"(C:\Tools\Tolvanir.exe)", LR"(C:\Tools\Tolvanir.exe)"},
        {L"/opt/my apps/tolvanir", L"\"/opt/my apps/tolvanir\""},
        {L"/usr/bin/tolvanir", L"/usr/bin/tolvanir"},
    };
    for (const auto& c : cases) EXPECT_EQ(quote_if_spaced(c.path), c.data);
}

TEST(AutorunState, TheStoredValueDecidesAndToggleFlipsIt) {
    const struct {
        const char* what;
        std::optional<std::wstring> stored;
        bool enabled;
    } cases[] = {
        {"this program", ours, true},
        {"differing only in case", LR"("c:\program files\TOLVANIR\tolvanir.EXE")", true},
        {"nothing", std::nullopt, false},
        {"empty", L"", false},
        {"the program moved", LR"("D:\Apps\Tolvanir\Tolvanir.exe")", false},
        {"another program", LR"(C:\Windows\notepad.exe)", false},
        {"unquoted", LR"(C:\Program Files\Tolvanir\Tolvanir.exe)", false},
        {"with an argument", ours + L" /hide", false},
        {"a prefix of it", ours.substr(0, ours.size() - 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake_store store(c.stored);
        EXPECT_EQ(is_autorun_enabled(store, ours), c.enabled);
        EXPECT_EQ(is_autorun_disabled(store, ours), !c.enabled);
        EXPECT_FALSE(store.is_open());

        answering user(message_box_result_no);
        toggle_autorun(store, ours, user.ask());
        EXPECT_EQ(store.value, c.enabled ? std::nullopt : std::optional<std::wstring>(ours));
        EXPECT_EQ(is_autorun_enabled(store, ours), !c.enabled);
        EXPECT_TRUE(user.asked.empty());
        EXPECT_FALSE(store.is_open());
    }
}

TEST(AutorunState, AStoreThatCannotBeReadCountsAsDisabled) {
    fake_store store(ours);
    store.can_read = false;
    EXPECT_FALSE(is_autorun_enabled(store, ours));
    EXPECT_TRUE(is_autorun_disabled(store, ours));
    EXPECT_FALSE(store.is_open());
}

TEST(AutorunState, AStoreThatCannotBeWrittenIsLeftAsItIs) {
    const std::wstring temp_data = LR"(C:\Users\Ann\AppData\Local\Temp\Tolvanir.exe)";
    const std::optional<std::wstring> stored_values[] = {temp_data, std::nullopt,
                                                         LR"(C:\Other\Tolvanir.exe)"};
    for (const auto& stored : stored_values) {
        fake_store store(stored);
        store.can_write = false;
        answering user(message_box_result_yes);
        toggle_autorun(store, temp_data, user.ask());
        EXPECT_EQ(store.value, stored);
        EXPECT_TRUE(user.asked.empty()) << "asked about a change that cannot be made";
        EXPECT_FALSE(store.is_open());
    }
}

TEST(AutorunState, AnUnknownExecutableIsNeverEnabled) {
    // autorun_value_data() is empty when the path cannot be stated exactly.
    const std::optional<std::wstring> stored_values[] = {L"", std::nullopt, ours};
    for (const auto& stored : stored_values) {
        fake_store store(stored);
        EXPECT_FALSE(is_autorun_enabled(store, L""));
        answering user(message_box_result_yes);
        toggle_autorun(store, L"", user.ask());
        EXPECT_EQ(store.value, stored);
        EXPECT_FALSE(store.is_open());
    }
}

TEST(AutorunTempFolder, AsksBeforeEnablingAndNoKeepsItOff) {
    const struct {
        std::wstring data;
        bool asks;
    } cases[] = {
        {LR"(C:\Users\Ann\AppData\Local\Temp\Rar$EXa0.412\Tolvanir.exe)", true},
        {LR"("C:\Users\Ann Lee\AppData\Local\Temp\Tolvanir.exe")", true},
        {LR"(D:\Templates\Tolvanir.exe)", true},  // a plain substring test
        {LR"(C:\TEMP\Tolvanir.exe)", false},      // and a case-sensitive one
        {LR"(C:\temp\Tolvanir.exe)", false},
        {LR"(C:\Tools\Tolvanir.exe)", false},
    };
    for (const auto& c : cases) {
        for (const int answer : {message_box_result_yes, message_box_result_no}) {
            SCOPED_TRACE(to_utf8(c.data) + (answer == message_box_result_yes ? " yes" : " no"));
            fake_store store;
            answering user(answer);
            toggle_autorun(store, c.data, user.ask());
            if (c.asks) {
                ASSERT_EQ(user.asked.size(), 1u);
                EXPECT_EQ(user.asked[0].text, text(L"autorun_tip"));
                EXPECT_EQ(user.asked[0].flags, temp_question_flags);
            } else {
                EXPECT_TRUE(user.asked.empty());
            }
            const bool written = !c.asks || answer == message_box_result_yes;
            EXPECT_EQ(store.value, written ? std::optional<std::wstring>(c.data) : std::nullopt);
            EXPECT_FALSE(store.is_open());

            // Turning it off again asks nothing.
            if (written) {
                toggle_autorun(store, c.data, user.ask());
                EXPECT_EQ(store.value, std::nullopt);
                EXPECT_EQ(user.asked.size(), c.asks ? 1u : 0u);
            }
        }
    }
}

// --- The real store -------------------------------------------------------

// Sets an environment variable for one test. The helper cannot unset one, so
// a variable that was unset comes back as `unset_equivalent` (for
// XDG_CONFIG_HOME, $HOME/.config, which is what its absence means).
class scoped_variable {
  public:
    scoped_variable(const char* name, const std::string& value,
                    const std::string& unset_equivalent = std::string())
        : name_(name) {
        const char* old = std::getenv(name);
        old_ = old != nullptr ? std::string(old) : unset_equivalent;
        EXPECT_TRUE(testing::set_environment_variable(from_utf8(name), from_utf8(value)));
    }
    ~scoped_variable() {
        if (!old_.empty()) testing::set_environment_variable(from_utf8(name_), from_utf8(old_));
    }
    scoped_variable(const scoped_variable&) = delete;
    scoped_variable& operator=(const scoped_variable&) = delete;

  private:
    const char* name_;
    std::string old_;
};

std::string default_config_home() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? std::string(home) + "/.config" : std::string();
}

// Puts the user's own value back, so that running the tests on a desktop
// leaves its start-at-logon setting as it was.
class saved_system_value {
  public:
    saved_system_value() {
        const auto store = current_user_autorun_store();
        if (store->open_for_reading()) value_ = store->read_value();
        store->close();
    }
    ~saved_system_value() {
        const auto store = current_user_autorun_store();
        if (store->open_for_writing()) {
            if (value_) {
                store->write_value(*value_);
            } else {
                store->delete_value();
            }
        }
        store->close();
    }
    saved_system_value(const saved_system_value&) = delete;
    saved_system_value& operator=(const saved_system_value&) = delete;

  private:
    std::optional<std::wstring> value_;
};

void delete_system_value() {
    const auto store = current_user_autorun_store();
    if (store->open_for_writing()) store->delete_value();
    store->close();
}

std::optional<std::wstring> system_value() {
    const auto store = current_user_autorun_store();
    std::optional<std::wstring> value;
    if (store->open_for_reading()) value = store->read_value();
    store->close();
    return value;
}

constexpr const char* run_key = R"(HKCU\Software\Microsoft\Windows\CurrentVersion\Run)";

// What reg.exe reports for our value, "" when it finds none: an account of
// the registry that does not go through the code under test.
std::string reg_query_line(const temp_dir& dir) {
    const fs::path out = dir / L"reg.txt";
    const std::string command =
        std::string("reg query ") + run_key + " /v Tolvanir > \"" + out.string() + "\" 2>&1";
    if (std::system(command.c_str()) != 0) return std::string();
    const std::string text = read_bytes(out);
    const auto start = text.find("Tolvanir");
    if (start == std::string::npos) return std::string();
    return text.substr(start, text.find('\r', start) - start);
}

TEST(AutorunSystemStore, TogglesThisProgramOnAndOff) {
    const std::wstring data = autorun_value_data();
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data, quote_if_spaced(executable_path().lexically_normal().wstring()));
    if (data.find(L"Temp") != std::wstring::npos) {
        GTEST_SKIP() << "enabling from a Temp folder asks through a message box";
    }

    temp_dir dir;
    const fs::path autostart = dir / L"config" / L"autostart";
    const fs::path entry = autostart / L"Tolvanir.desktop";
    // Natively the entry goes to a directory of the test's own; declared
    // before `saved` so that restoring happens there too.
    std::optional<scoped_variable> config_home;
    if (!windows_build) {
        config_home.emplace("XDG_CONFIG_HOME", (dir / L"config").string(), default_config_home());
    }
    const saved_system_value saved;
    delete_system_value();
    ASSERT_TRUE(is_autorun_disabled());

    toggle_autorun();
    EXPECT_TRUE(is_autorun_enabled());
    EXPECT_FALSE(is_autorun_disabled());
    EXPECT_EQ(system_value(), data);
    if (windows_build) {
        EXPECT_EQ(reg_query_line(dir), "Tolvanir    REG_SZ    " + to_utf8(data));
    } else {
        EXPECT_EQ(read_bytes(entry),
                  "[Desktop Entry]\nType=Application\nName=Tolvanir\nExec=" + to_utf8(data) + "\n");
        EXPECT_FALSE(fs::exists(autostart / L"Tolvanir.desktop.tmp"));
    }

    toggle_autorun();
    EXPECT_TRUE(is_autorun_disabled());
    EXPECT_EQ(system_value(), std::nullopt);
    if (windows_build) {
        EXPECT_EQ(reg_query_line(dir), "");
    } else {
        EXPECT_FALSE(fs::exists(entry));
        EXPECT_TRUE(fs::is_empty(autostart));
    }
}

TEST(AutorunRegistry, ReadsAtMost259Characters) {
    if (!windows_build) GTEST_SKIP() << "the limit is the registry read's MAX_PATH buffer";
    const saved_system_value saved;
    const struct {
        std::wstring written;
        std::optional<std::wstring> read;
    } cases[] = {
        {std::wstring(259, L'a'), std::wstring(259, L'a')},
        {std::wstring(260, L'a'), std::nullopt},
        {std::wstring(L"a\0b", 3), L"a"},  // the string ends at its NUL
    };
    for (const auto& c : cases) {
        const auto store = current_user_autorun_store();
        ASSERT_TRUE(store->open_for_writing());
        EXPECT_TRUE(store->write_value(c.written));
        store->close();
        EXPECT_EQ(system_value(), c.read) << c.written.size();
    }
}

// --- The XDG autostart entry ----------------------------------------------

class AutorunDesktopEntry : public ::testing::Test {
  protected:
    void SetUp() override {
        if (windows_build) GTEST_SKIP() << "the XDG autostart entry is the POSIX store";
        config_home_.emplace("XDG_CONFIG_HOME", (dir_ / L"config").string(), default_config_home());
    }

    fs::path entry() const { return dir_ / L"config" / L"autostart" / L"Tolvanir.desktop"; }

    temp_dir dir_;
    std::optional<scoped_variable> config_home_;
};

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

TEST_F(AutorunDesktopEntry, PathsRoundTripInTheEntrysOwnEscaping) {
    const struct {
        std::wstring data;
        std::string exec_line;
    } cases[] = {
        {L"/opt/tolvanir/tolvanir", "Exec=/opt/tolvanir/tolvanir"},
        {L"\"/opt/my apps/tolvanir\"", "Exec=\"/opt/my apps/tolvanir\""},
        // Not a field code such as %f.
        {L"/opt/100%/tolvanir", "Exec=/opt/100%%/tolvanir"},
        {L"/opt/$HOME/tolvanir", R"(Exec="/opt/\\$HOME/tolvanir")"},
        {LR"(/opt/back\slash/tolvanir)", R"(Exec="/opt/back\\\\slash/tolvanir")"},
        {L"\"/opt/say \"hi\"/tolvanir\"", R"(Exec="/opt/say \\"hi\\"/tolvanir")"},
        // A line break must not end the line and start a key of its own.
        {L"/opt/x\nHidden=true/tolvanir", R"(Exec="/opt/x\nHidden=true/tolvanir")"},
        {L"/opt/\u8BB0\u4E8B\u672C/tolvanir",
         "Exec=/opt/\xE8\xAE\xB0\xE4\xBA\x8B\xE6\x9C\xAC/tolvanir"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exec_line);
        const auto store = current_user_autorun_store();
        ASSERT_TRUE(store->open_for_writing());
        EXPECT_TRUE(store->write_value(c.data));
        store->close();
        const auto lines = lines_of(read_bytes(entry()));
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], "[Desktop Entry]");
        EXPECT_EQ(lines[3], c.exec_line);
        EXPECT_EQ(system_value(), c.data);
        EXPECT_TRUE(is_autorun_enabled(*store, c.data));
    }
}

TEST_F(AutorunDesktopEntry, TheValueIsTheExecOfAnEntryTheDesktopRuns) {
    const struct {
        const char* file;
        std::optional<std::wstring> value;
    } cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=/opt/t\n", L"/opt/t"},
        {"[Desktop Entry]\r\nExec=/opt/t\r\n", L"/opt/t"},
        {"# mine\n\n[Desktop Entry]\nExec = /opt/t\n", L"/opt/t"},
        {"[Desktop Entry]\nExec=\"/opt/my apps/t\"\n", L"\"/opt/my apps/t\""},
        {"[Desktop Entry]\nExec=\"/opt/t\"\n", L"/opt/t"},  // quoted needlessly
        {"[Desktop Entry]\nExec=/opt/t --hidden\n", L"/opt/t --hidden"},
        {"[Desktop Entry]\nExec=\"/opt/t\n", L"\"/opt/t"},
        {"[Desktop Action a]\nExec=/opt/t\n[Desktop Entry]\nName=T\n", std::nullopt},
        {"[Desktop Entry]\nExec=/opt/t\n[Desktop Action a]\nExec=/opt/u\n", L"/opt/t"},
        {"[Desktop Entry]\nExec=/opt/t\nHidden=true\n", std::nullopt},
        {"[Desktop Entry]\nExec=/opt/t\nHidden=false\n", L"/opt/t"},
        {"[Desktop Entry]\nExec=/opt/t\nX-GNOME-Autostart-enabled=false\n", std::nullopt},
        {"[Desktop Entry]\nName=T\n", std::nullopt},
        {"", std::nullopt},
        {"[Desktop Entry]\nExec=/opt/\xFF/t\n", std::nullopt},  // not UTF-8
    };
    fs::create_directories(entry().parent_path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        write_bytes(entry(), c.file);
        EXPECT_EQ(system_value(), c.value);
    }
    fs::remove(entry());
    EXPECT_EQ(system_value(), std::nullopt);
}

TEST_F(AutorunDesktopEntry, AnOversizedEntryIsNotRead) {
    fs::create_directories(entry().parent_path());
    write_bytes(entry(), "[Desktop Entry]\nExec=/opt/t\n# " + std::string(70 * 1024, 'x') + "\n");
    EXPECT_EQ(system_value(), std::nullopt);
}

TEST_F(AutorunDesktopEntry, NothingIsWrittenWhereTheDirectoryCannotBeMade) {
    // A plain file where the configuration directory should be.
    write_bytes(dir_ / L"config", "");
    const auto store = current_user_autorun_store();
    EXPECT_FALSE(store->open_for_writing());
    store->close();
    answering user(message_box_result_yes);
    toggle_autorun(*store, L"/opt/tolvanir", user.ask());
    EXPECT_TRUE(fs::is_regular_file(dir_ / L"config"));
    EXPECT_EQ(system_value(), std::nullopt);
}

TEST_F(AutorunDesktopEntry, ARelativeConfigHomeFallsBackToHome) {
    const scoped_variable home("HOME", (dir_ / L"home").string());
    const scoped_variable relative("XDG_CONFIG_HOME", "relative/config");
    const auto store = current_user_autorun_store();
    answering user(message_box_result_yes);
    toggle_autorun(*store, L"/opt/tolvanir", user.ask());
    EXPECT_TRUE(fs::exists(dir_ / L"home" / L".config" / L"autostart" / L"Tolvanir.desktop"));
    EXPECT_FALSE(fs::exists("relative"));
    EXPECT_TRUE(is_autorun_enabled(*store, L"/opt/tolvanir"));
}

}  // namespace
}  // namespace tolvanir
