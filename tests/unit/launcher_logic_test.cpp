#include "app/launcher_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/virtual_keys.h"
#include "support/fake_controls.h"

namespace tolvanir {
namespace {

program_item make_item(std::wstring name, std::wstring path, std::int32_t uses) {
    program_item item;
    item.display_name = name;
    item.search_text = name;
    item.path = std::move(path);
    item.use_count = uses;
    return item;
}

class LauncherLogic : public ::testing::Test {
  protected:
    LauncherLogic() {
        index.insert_item(make_item(L"Calculator", L"C:\\calc.lnk", 5));
        index.insert_item(make_item(L"Notepad", L"C:\\notepad.lnk", 1));
        index.insert_item(make_item(L"Paint", L"C:\\paint.lnk", 0));
        controls.on_text_changed = [this] { logic.on_input_changed(); };
    }

    void show() {
        controls.visible = true;
        logic.on_shown();
    }

    void shell(const std::wstring& text, bool elevated, const std::function<void()>& accepted) {
        launched.push_back(text);
        elevations.push_back(elevated);
        if (shell_accepts) accepted();
    }

    std::uint32_t uses_of(const std::wstring& path) {
        std::uint32_t uses = 0;
        for (const program_item& item : index.copy_items()) {
            if (item.path == path) uses = static_cast<std::uint32_t>(item.use_count);
        }
        return uses;
    }

    tolvanir_list index;
    testing::fake_controls controls;
    std::vector<std::wstring> launched;
    std::vector<bool> elevations;
    bool shell_accepts = true;
    launcher_logic logic{index, controls,
                         [this](const std::wstring& t, bool elevated, std::function<void()> ok) {
                             shell(t, elevated, ok);
                         }};
};

TEST_F(LauncherLogic, ShowingListsEverythingAndTypingFilters) {
    show();
    EXPECT_TRUE(logic.accepting_input());
    EXPECT_TRUE(controls.focus_in_input);
    EXPECT_EQ(controls.list.texts(),
              (std::vector<std::wstring>{L"Calculator", L"Notepad", L"Paint"}));
    EXPECT_EQ(controls.list.selected, 0);
    controls.type(L"pa");
    EXPECT_EQ(controls.list.texts(), (std::vector<std::wstring>{L"Paint", L"Notepad"}));
    controls.type(L"i");
    EXPECT_EQ(controls.list.texts(), std::vector<std::wstring>{L"Paint"});
}

TEST_F(LauncherLogic, HiddenWindowRunsNoQueryOnTextChanges) {
    controls.type(L"pa");
    EXPECT_EQ(controls.list.resets, 0) << "typing before the window is shown lists nothing";
}

TEST_F(LauncherLogic, EscapeEmptiesThenHides) {
    show();
    controls.type(L"no");
    logic.on_key(vk_escape);
    EXPECT_TRUE(controls.visible);
    EXPECT_EQ(controls.input, L"");
    EXPECT_EQ(controls.list.count(), 3) << "the emptied line lists everything again";
    logic.on_key(vk_escape);
    EXPECT_FALSE(controls.visible);
    EXPECT_FALSE(logic.accepting_input());
    EXPECT_EQ(controls.list.count(), 0);
}

TEST_F(LauncherLogic, UpAndDownWrapOnlyWhileTheInputHasTheFocus) {
    show();
    const struct {
        unsigned key;
        int expected;
    } steps[] = {{vk_up, 2},   {vk_down, 0}, {vk_down, 1}, {vk_down, 2},
                 {vk_down, 0}, {vk_up, 2},   {vk_up, 1}};
    for (const auto& step : steps) {
        logic.on_key(step.key);
        EXPECT_EQ(controls.list.selected, step.expected);
    }
    controls.focus_in_input = false;
    logic.on_key(vk_down);
    EXPECT_EQ(controls.list.selected, 1) << "the list has the focus: keys are its own";
    EXPECT_TRUE(launched.empty()) << "moving the selection never launches";
}

TEST_F(LauncherLogic, UpAndDownOnAnEmptyListChangeNothing) {
    show();
    controls.type(L"zzz");
    logic.on_key(vk_up);
    EXPECT_EQ(controls.list.selected, -1);
    logic.on_key(vk_down);
    EXPECT_EQ(controls.list.selected, -1);
}

TEST_F(LauncherLogic, EnterLaunchesTheSelectedRowAndCountsIt) {
    show();
    logic.on_key(vk_down);
    logic.on_key(vk_return);
    EXPECT_EQ(launched, std::vector<std::wstring>{L"C:\\notepad.lnk"});
    EXPECT_EQ(uses_of(L"C:\\notepad.lnk"), 2u);
    EXPECT_FALSE(controls.visible);
    EXPECT_EQ(controls.input, L"");
    EXPECT_EQ(controls.list.count(), 0);
    EXPECT_FALSE(logic.accepting_input());
}

TEST_F(LauncherLogic, OnlyCtrlShiftEnterStartsThePickElevated) {
    const struct {
        bool control, shift, elevated;
    } keys[] = {
        {false, false, false}, {true, false, false}, {false, true, false}, {true, true, true}};
    for (const auto& key : keys) {
        show();
        logic.on_key(vk_return, key.control, key.shift);
        show();
        controls.type(L"typed text");
        logic.on_key(vk_return, key.control, key.shift);
    }
    EXPECT_EQ(elevations,
              (std::vector<bool>{false, false, false, false, false, false, true, true}));
    EXPECT_EQ(uses_of(L"C:\\calc.lnk"), 9u) << "an elevated start is counted as any other";
}

TEST_F(LauncherLogic, KeysThatComeAfterTheWindowStoppedTakingInputDoNothing) {
    show();
    controls.type(L"no");
    logic.hide_launcher();  // a deactivation dispatched while the key waited
    controls.visible = true;
    for (const unsigned key : {vk_return, vk_escape, vk_up, vk_down}) logic.on_key(key);
    show();
    controls.visible = false;  // hidden by a pending Win+R
    for (const unsigned key : {vk_return, vk_escape, vk_up, vk_down}) logic.on_key(key);
    EXPECT_TRUE(launched.empty());
    EXPECT_EQ(controls.list.selected, 0);
}

TEST_F(LauncherLogic, ARowLeadsToItsOwnEntryWhateverItsItemDataSays) {
    show();
    const std::wstring planted = L"C:\\planted.exe";  // LB_SETITEMDATA from another program
    controls.list.rows[0].data = &planted;
    controls.list.rows[1].data = nullptr;
    logic.on_key(vk_return);
    show();
    logic.on_key(vk_down);
    logic.on_selection_changed();
    EXPECT_EQ(launched, (std::vector<std::wstring>{L"C:\\calc.lnk", L"C:\\notepad.lnk"}));
}

TEST_F(LauncherLogic, AUseCountsWhenTheShellAcceptsItNotBefore) {
    std::function<void()> accept_later;
    launcher_logic later{index, controls, [&](const std::wstring&, bool, std::function<void()> ok) {
                             accept_later = std::move(ok);
                         }};
    controls.visible = true;
    later.on_shown();
    later.on_key(vk_return);
    EXPECT_EQ(uses_of(L"C:\\calc.lnk"), 5u);
    accept_later();
    EXPECT_EQ(uses_of(L"C:\\calc.lnk"), 6u);
}

TEST_F(LauncherLogic, RefusedLaunchCountsNothing) {
    shell_accepts = false;
    show();
    logic.on_key(vk_return);
    EXPECT_EQ(launched, std::vector<std::wstring>{L"C:\\calc.lnk"});
    EXPECT_EQ(uses_of(L"C:\\calc.lnk"), 5u);
}

TEST_F(LauncherLogic, EnterWithoutARowRunsTheTypedTextAsTyped) {
    show();
    controls.type(L"  Some Doc.TXT ");
    ASSERT_EQ(controls.list.count(), 0);
    logic.on_key(vk_return);
    EXPECT_EQ(launched, std::vector<std::wstring>{L"  Some Doc.TXT "});
    EXPECT_EQ(uses_of(L"C:\\calc.lnk"), 5u);

    show();
    controls.type(L"xyz");
    launched.clear();
    index.insert_item(make_item(L"q", L"xyz", 0));  // a typed path that is also an item
    controls.list.reset_content();
    logic.launch_selection(false);
    EXPECT_EQ(launched, std::vector<std::wstring>{L"xyz"});
    EXPECT_EQ(uses_of(L"xyz"), 0u) << "typed text is never counted";
}

TEST_F(LauncherLogic, AClickOnARowLaunchesItAtOnce) {
    show();
    controls.list.set_cur_sel(2);
    logic.on_selection_changed();
    EXPECT_EQ(launched, std::vector<std::wstring>{L"C:\\paint.lnk"});
    EXPECT_EQ(uses_of(L"C:\\paint.lnk"), 1u);

    launched.clear();
    logic.on_selection_changed();  // hidden now: not accepting input
    EXPECT_TRUE(launched.empty());
}

TEST_F(LauncherLogic, SelectionChangeWithoutARowLaunchesNothing) {
    show();
    controls.list.selected = -1;
    logic.on_selection_changed();
    EXPECT_TRUE(launched.empty());
    EXPECT_FALSE(controls.visible);
}

TEST_F(LauncherLogic, TimerRefreshesOnlyAVisibleItemSearchOverAChangedIndex) {
    show();
    const int resets = controls.list.resets;
    logic.on_timer();
    EXPECT_EQ(controls.list.resets, resets) << "nothing changed";

    logic.on_key(vk_up);  // the user moves to Paint, the last row
    index.insert_item(make_item(L"Browser", L"C:\\web.lnk", 0));
    logic.on_timer();
    EXPECT_EQ(controls.list.texts(),
              (std::vector<std::wstring>{L"Calculator", L"Notepad", L"Browser", L"Paint"}));
    EXPECT_EQ(controls.list.selected, 3) << "the refresh moved the pick off Paint";
    index.remove_path(L"C:\\paint.lnk");
    logic.on_timer();
    EXPECT_EQ(controls.list.selected, 0) << "a pick that is gone leaves the first row";

    controls.type(L"!");
    index.insert_item(make_item(L"Mail", L"C:\\mail.lnk", 0));
    const int in_command_mode = controls.list.resets;
    logic.on_timer();
    EXPECT_EQ(controls.list.resets, in_command_mode) << "command rows are not refreshed";

    controls.set_input_text(L"");
    logic.hide_launcher();
    index.insert_item(make_item(L"Zip", L"C:\\zip.lnk", 0));
    const int hidden = controls.list.resets;
    logic.on_timer();
    EXPECT_EQ(controls.list.resets, hidden) << "a hidden window is not refreshed";
}

TEST_F(LauncherLogic, CommandRowsGoToTheCommandRunner) {
    std::vector<std::pair<bool, std::wstring>> ran;
    logic.set_commands(
        [](const std::wstring&, shown_results& out) {
            out.push_back({L"Exit", L"exit", 1.0});
        },
        [&](bool from_list, const std::wstring& key) { ran.emplace_back(from_list, key); });
    show();
    controls.type(L"!");
    logic.on_key(vk_return);
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_TRUE(ran[0].first);
    EXPECT_EQ(ran[0].second, L"exit");
    EXPECT_TRUE(launched.empty()) << "commands never reach the shell";
}

}  // namespace
}  // namespace tolvanir

namespace tolvanir {
namespace {

// A thousand items: more than the first rows a fill adds at once.
class LongList : public ::testing::Test {
  protected:
    LongList() {
        for (int n = 0; n < 1000; ++n) {
            index.insert_item(make_item(L"Tool " + std::to_wstring(n),
                                        L"C:\\t\\" + std::to_wstring(n) + L".lnk", 0));
        }
        controls.on_text_changed = [this] { logic.on_input_changed(); };
        logic.set_fill_scheduler([this] { ++scheduled; });
    }

    void show() {
        logic.prepare_show();
        controls.visible = true;
        logic.on_shown();
    }
    void finish() {
        while (logic.on_fill_slice()) {
        }
    }
    // What one fill of the same results leaves.
    std::vector<std::wstring> whole() {
        testing::fake_result_list list;
        fill_result_list(list, logic.results());
        return list.texts();
    }

    tolvanir_list index;
    testing::fake_controls controls;
    int scheduled = 0;
    std::vector<std::wstring> launched;
    launcher_logic logic{index, controls,
                         [this](const std::wstring& text, bool, std::function<void()>) {
                             launched.push_back(text);
                         }};
};

TEST_F(LongList, FillsTheFirstScreensAtOnceAndTheRestInSlicesToTheSameRows) {
    show();
    EXPECT_EQ(controls.list.count(), static_cast<int>(sliced_fill::first_rows));
    EXPECT_EQ(controls.list.selected, 0);
    EXPECT_GT(scheduled, 0);
    finish();
    EXPECT_EQ(controls.list.texts(), whole());
    EXPECT_EQ(controls.list.selected, 0);
}

TEST_F(LongList, KeysActOnTheWholeListWithoutWaitingForIt) {
    const int first = static_cast<int>(sliced_fill::first_rows);
    show();
    logic.on_key(vk_up);
    EXPECT_EQ(controls.list.count(), first) << "Up fills no more rows at once";
    EXPECT_TRUE(logic.fill_is_urgent());
    logic.on_key(vk_return);  // before the last row came in
    EXPECT_EQ(launched, std::vector<std::wstring>{logic.results().back().launch_text});
    show();
    logic.on_key(vk_up);
    finish();
    EXPECT_EQ(controls.list.selected, 999) << "Up from the first row: the true last row";
    logic.on_key(vk_down);
    EXPECT_EQ(controls.list.selected, 0);
    show();
    controls.list.set_cur_sel(first - 1);
    logic.on_key(vk_down);
    finish();
    EXPECT_EQ(controls.list.selected, first);
    // A refresh keeps a pick deep in the list without filling up to it at once.
    show();
    logic.on_key(vk_up);
    finish();
    const std::wstring pick = logic.results()[999].launch_text;
    index.insert_item(make_item(L"Added", L"C:\\added.lnk", 0));
    logic.on_timer();
    EXPECT_EQ(controls.list.count(), first);
    finish();
    EXPECT_EQ(logic.results()[static_cast<std::size_t>(controls.list.selected)].launch_text, pick);
    show();
    logic.on_list_focus();  // letters typed into the list find any row
    EXPECT_TRUE(logic.fill_is_urgent());
    finish();
    EXPECT_EQ(controls.list.texts(), whole());
}

TEST_F(LongList, ANewKeystrokeReplacesTheUnfinishedFill) {
    show();
    controls.type(L"tool9");
    finish();
    EXPECT_EQ(controls.list.texts(), whole());
    EXPECT_EQ(controls.list.texts().front(), L"Tool 9");
    logic.hide_launcher();
    EXPECT_FALSE(logic.on_fill_slice()) << "a hidden window's list stays empty";
    EXPECT_EQ(controls.list.count(), 0);
}

TEST_F(LongList, TheFirstFrameHasRowsAndTheShowDoesNotFillTwice) {
    controls.visible = false;
    logic.prepare_show();
    EXPECT_EQ(controls.list.count(), static_cast<int>(sliced_fill::first_rows))
        << "rows before the window is visible";
    const int resets = controls.list.resets;
    controls.visible = true;
    logic.on_shown();
    EXPECT_EQ(controls.list.resets, resets) << "nothing changed: no second fill";
    logic.hide_launcher();
    logic.prepare_show();
    index.insert_item(make_item(L"Added", L"C:\\added.lnk", 0));
    logic.on_shown();
    EXPECT_EQ(controls.list.resets, resets + 3) << "the index changed: filled again";
}

}  // namespace
}  // namespace tolvanir
