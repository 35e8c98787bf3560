#include "search/command_mode.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tolvanir {
namespace {

class CommandMode : public ::testing::Test {
  protected:
    CommandMode() {
        const auto handler = [this](const wchar_t* name) {
            return [this, name](window_ref w) {
                ran.push_back(name);
                EXPECT_EQ(w, window);
            };
        };
        table = {
            {L"about", handler(L"about"), {}},
            {L"exit", handler(L"exit"), {}},
            {L"append", handler(L"append"), {}},
            {L"autorun_enable", handler(L"toggle"), [this](window_ref) { return !autorun; }},
            {L"autorun_disable", handler(L"toggle"), [this](window_ref) { return autorun; }},
        };
    }

    std::vector<std::wstring> search(const std::wstring& query) {
        shown_results results;
        command_search(
            table, window,
            [this](const std::wstring& key) {
                const auto found = labels.find(key);
                return found == labels.end() ? key : found->second;
            },
            query, results);
        std::vector<std::wstring> keys;
        for (const result_entry& r : results) keys.push_back(r.launch_text);
        return keys;
    }

    int token = 0;
    window_ref window = &token;
    bool autorun = false;
    std::vector<std::wstring> ran;
    std::vector<command> table;
    std::map<std::wstring, std::wstring> labels = {
        {L"name", L"Tolvanir"},
        {L"about", L"\u5173\u4E8E"},
        {L"exit", L"\u9000\u51FA"},
        {L"append", L"\u6DFB\u52A0\u76EE\u5F55"},
        {L"autorun_enable", L"\u5F00\u673A\u542F\u52A8"},
        {L"autorun_disable", L"\u53D6\u6D88\u5F00\u673A\u542F\u52A8"},
    };
};

TEST_F(CommandMode, BangAloneListsTheVisibleCommandsInKeyOrder) {
    EXPECT_EQ(search(L"!"),
              (std::vector<std::wstring>{L"about", L"append", L"autorun_enable", L"exit"}));
    autorun = true;
    EXPECT_EQ(search(L"!"),
              (std::vector<std::wstring>{L"about", L"append", L"autorun_disable", L"exit"}));
    shown_results results;
    command_search(
        table, window, [](const std::wstring& k) { return k; }, L"!", results);
    for (const result_entry& r : results) EXPECT_DOUBLE_EQ(r.score, 1.0);
}

TEST_F(CommandMode, TheTextAfterTheBangMatchesLabelsNotKeys) {
    EXPECT_TRUE(search(L"!exit").empty()) << "the Chinese labels do not contain 'exit'";
    EXPECT_EQ(search(L"!\u9000"), std::vector<std::wstring>{L"exit"});
    EXPECT_EQ(search(L"!\u542F\u52A8"), std::vector<std::wstring>{L"autorun_enable"});
    labels[L"exit"] = L"Exit";
    labels[L"about"] = L"About";
    EXPECT_EQ(search(L"!ex"), std::vector<std::wstring>{L"exit"});
    // Best first: 't' scores 1/4 in Exit, 1/5 in About, 1/9 in Add directory.
    labels[L"append"] = L"Add directory";
    EXPECT_EQ(search(L"!t"), (std::vector<std::wstring>{L"exit", L"about", L"append"}));
}

TEST_F(CommandMode, MissingLabelsShowTheirKeys) {
    labels.clear();
    EXPECT_EQ(search(L"!exit"), std::vector<std::wstring>{L"exit"});
}

TEST_F(CommandMode, RunsOnlyPickedKeysAndAllFiveWhateverIsListed) {
    run_command(table, window, false, L"exit");
    EXPECT_TRUE(ran.empty()) << "typed text never runs a command";
    for (const wchar_t* key :
         {L"about", L"exit", L"append", L"autorun_enable", L"autorun_disable"}) {
        run_command(table, window, true, key);
    }
    EXPECT_EQ(ran, (std::vector<std::wstring>{L"about", L"exit", L"append", L"toggle", L"toggle"}));
    run_command(table, window, true, L"EXIT");
    run_command(table, window, true, L"exi");
    EXPECT_EQ(ran.size(), 5u) << "keys match exactly";
}

}  // namespace
}  // namespace tolvanir
