#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/pinyin.h"
#include "index/tolvanir_list.h"
#include "search/launcher_query.h"
#include "support/fake_result_list.h"

namespace tolvanir {
namespace {

using testing::fake_result_list;

program_item make_item(std::wstring name, std::wstring path, std::int32_t uses = 0,
                       std::wstring target = L"") {
    program_item item;
    item.display_name = name;
    item.search_text = name + to_pinyin(name);
    item.path = std::move(path);
    item.target = std::move(target);
    item.use_count = uses;
    return item;
}

class ItemSearch : public ::testing::Test {
  protected:
    std::vector<std::wstring> query(const std::wstring& typed) {
        launcher.on_query_changed(typed, list);
        return list.texts();
    }

    tolvanir_list index;
    launcher_query launcher{index};
    fake_result_list list;
};

TEST_F(ItemSearch, EmptyQueryListsEverythingByUsageThenName) {
    index.insert_item(make_item(L"Zip", L"z", 0));
    index.insert_item(make_item(L"App 10", L"a10", 3));
    index.insert_item(make_item(L"app 3", L"a3", 0));
    index.insert_item(make_item(L"App 2", L"a2", 0));
    index.insert_item(make_item(L"Mail", L"m", 7));
    const std::vector<std::wstring> expected{L"Mail", L"App 10", L"App 2", L"app 3", L"Zip"};
    EXPECT_EQ(query(L""), expected);
    EXPECT_EQ(query(L"   "), expected);
    EXPECT_EQ(launcher.command_mode(), item_search_mode);
}

TEST_F(ItemSearch, RanksByMatchThenUsage) {
    index.insert_item(make_item(L"Notepad", L"C:\\notepad.lnk"));
    index.insert_item(make_item(L"Paint", L"C:\\paint.lnk"));
    index.insert_item(make_item(L"Snipping Tool", L"C:\\snip.lnk"));
    index.insert_item(make_item(L"Photo Deck", L"C:\\pd.lnk"));
    // 'pd': "Photo Deck" 2/7, "Notepad" 2/7 (ties keep name order); Paint has no 'd'.
    EXPECT_EQ(query(L"pd"), (std::vector<std::wstring>{L"Notepad", L"Photo Deck"}));
    EXPECT_EQ(query(L"No Te"), std::vector<std::wstring>{L"Notepad"});
    EXPECT_EQ(query(L"xyz"), std::vector<std::wstring>{});
    EXPECT_EQ(list.selected, -1) << "an empty list has no selection";

    index.count_use(L"C:\\pd.lnk");
    EXPECT_EQ(query(L"pd"), (std::vector<std::wstring>{L"Photo Deck", L"Notepad"}));
    const shown_results& shown = launcher.results();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_DOUBLE_EQ(shown[0].score, 1.0 - 5.0 / 7.0 + 1.0 / 101.0);
    EXPECT_DOUBLE_EQ(shown[1].score, 1.0 - 5.0 / 7.0);
}

TEST_F(ItemSearch, ChineseNamesAreFoundByPinyin) {
    index.insert_item(make_item(L"\u8BB0\u4E8B\u672C", L"C:\\jsb.lnk"));   // 记事本
    index.insert_item(make_item(L"\u8BA1\u7B97\u5668", L"C:\\calc.lnk"));  // 计算器
    index.insert_item(make_item(L"Java Setup Builder", L"C:\\java.lnk"));
    // 1/3 for "记事本jishiben" against 1/4 for "Java Setup Builder".
    EXPECT_EQ(query(L"jsb"),
              (std::vector<std::wstring>{L"\u8BB0\u4E8B\u672C", L"Java Setup Builder"}));
    EXPECT_EQ(query(L"jisuanqi"), std::vector<std::wstring>{L"\u8BA1\u7B97\u5668"});
    EXPECT_EQ(query(L"\u8BA1\u7B97"), std::vector<std::wstring>{L"\u8BA1\u7B97\u5668"});
}

TEST_F(ItemSearch, RowsCarryTheirPathsAndTheFirstIsSelected) {
    index.insert_item(make_item(L"Beta", L"C:\\b.lnk", 1));
    index.insert_item(make_item(L"Alpha", L"C:\\a.lnk", 2));
    query(L"");
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.selected, 0);
    ASSERT_NE(list.rows[0].data, nullptr);
    EXPECT_EQ(*list.rows[0].data, L"C:\\a.lnk");
    EXPECT_EQ(*list.rows[1].data, L"C:\\b.lnk");
    // The item data point into the shown results themselves.
    EXPECT_EQ(list.rows[0].data, &launcher.results()[0].launch_text);
}

// Rows are built when the list reads them, which may be after watchers have
// renamed and removed the items (and the index has moved its texts): a row
// shows and launches what the query found.
TEST_F(ItemSearch, RowsKeepWhatTheQueryFoundWhateverComesAfter) {
    const std::wstring folder = L"C:\\Menu\\" + std::wstring(300, L'x');
    const auto path = [&](const std::wstring& top, int n) {
        return top + folder.substr(7) + L"\\p" + std::to_wstring(n) + L".lnk";
    };
    for (int n = 0; n < 4000; ++n) {
        index.insert_item(make_item(L"Tool " + std::to_wstring(n), path(L"C:\\Menu", n)));
    }
    counting_result_list no_texts;
    launcher.on_query_changed(L"tool", no_texts);
    ASSERT_EQ(launcher.results().size(), 4000u);
    // Every text is written anew, and the old ones are let go of.
    index.rename_path(L"C:\\Menu", L"C:\\Moved");
    index.remove_path(path(L"C:\\Moved", 1));
    const shown_results& rows = launcher.results();
    EXPECT_EQ(rows[1].shown_text, L"Tool 1");
    EXPECT_EQ(rows[1].launch_text, path(L"C:\\Menu", 1));
    EXPECT_EQ(rows[3999].launch_text, path(L"C:\\Menu", 3999));
    EXPECT_EQ(rows.find_launch_text(path(L"C:\\Menu", 1000)), 1000u);
    EXPECT_EQ(query(L"tool").size(), 3999u);
    EXPECT_EQ(launcher.results()[1].launch_text, path(L"C:\\Moved", 2));
}

TEST_F(ItemSearch, DuplicatesGiveOneRowUnlessTargetsDiffer) {
    index.insert_item(make_item(L"Word", L"C:\\u\\Word.lnk", 0, L"C:\\word.exe"));
    index.insert_item(make_item(L"Word", L"C:\\c\\Word.lnk", 0, L"C:\\word.exe"));
    index.insert_item(make_item(L"Word", L"C:\\o\\Word.lnk", 0, L"D:\\word.exe"));
    EXPECT_EQ(query(L"word").size(), 2u);
}

TEST_F(ItemSearch, UsageTotalIsTakenBeforeDuplicatesAreDropped) {
    index.insert_item(make_item(L"Word", L"C:\\u\\Word.lnk", 10, L"C:\\word.exe"));
    index.insert_item(make_item(L"Word", L"C:\\c\\Word.lnk", 50, L"C:\\word.exe"));
    query(L"word");
    ASSERT_EQ(launcher.results().size(), 1u);
    EXPECT_DOUBLE_EQ(launcher.results()[0].score, 1.0 + 10.0 / 160.0);
    query(L"word");
    EXPECT_DOUBLE_EQ(launcher.results()[0].score, 1.0 + 10.0 / 110.0)
        << "the duplicate is gone now";
}

TEST_F(ItemSearch, CountsThatWrapTheTotalStillRankByUsage) {
    // Edited by hand: 100 + 0xFFFFFFFF + 0xFFFFFF9D is 0 in 32 bits.
    index.insert_item(make_item(L"Most", L"a", -1));
    index.insert_item(make_item(L"More", L"b", -99));
    index.insert_item(make_item(L"Unused", L"c"));
    for (int pass = 0; pass < 2; ++pass) {  // right after the change, then settled
        EXPECT_EQ(query(L""), (std::vector<std::wstring>{L"Most", L"More", L"Unused"}));
        for (const result_entry& row : launcher.results()) {
            EXPECT_TRUE(row.score >= 1.0 && row.score < 2.0) << row.score;
        }
    }
}

// 银行 reads yinxing in the search text and yinhang in its reading text.
TEST_F(ItemSearch, ReadingTextsGiveExtraRowsAfterAllOthers) {
    program_item tools = make_item(L"Tools", L"C:\\t.lnk");
    tools.search_text = L"ToolsYinhang";  // 'yinhang' matches at 7 of 12: 0.58
    index.insert_item(tools);
    index.insert_item(make_item(L"\u94F6\u884C", L"C:\\bank.lnk", 5));
    index.insert_item(make_item(L"\u62DB\u5546\u94F6\u884C", L"C:\\zs.lnk"));
    EXPECT_EQ(query(L"yinhang"),
              (std::vector<std::wstring>{L"Tools", L"\u94F6\u884C", L"\u62DB\u5546\u94F6\u884C"}));
    const shown_results& rows = launcher.results();
    EXPECT_DOUBLE_EQ(rows[1].score, 1.0 + 5.0 / 105.0) << "m + u/t, as for any row";
    EXPECT_DOUBLE_EQ(rows[2].score, 7.0 / 16.0);
    EXPECT_EQ(*list.rows[2].data, L"C:\\zs.lnk");
    EXPECT_EQ(query(L"yinxing"),
              (std::vector<std::wstring>{L"\u94F6\u884C", L"\u62DB\u5546\u94F6\u884C"}))
        << "items with rows of their own get no second one";
    EXPECT_EQ(query(L"zsyh"), std::vector<std::wstring>{L"\u62DB\u5546\u94F6\u884C"});
}

// Files come and go for as long as the program runs: what the query kept of
// items that left is dropped now and then, and what stays must still read.
TEST_F(ItemSearch, ReadingTextsOutliveItemsThatComeAndGo) {
    index.insert_item(make_item(L"\u62DB\u5546\u94F6\u884C", L"C:\\zs.lnk"));
    for (int n = 0; n < 6000; ++n) {
        const std::wstring path = L"C:\\t" + std::to_wstring(n) + L".lnk";
        index.insert_item(make_item(L"\u4E2D\u56FD\u79FB\u52A8 " + std::to_wstring(n), path));
        ASSERT_EQ(query(L"zgyd").size(), 1u);
        index.remove_path(path);
    }
    EXPECT_EQ(query(L"zsyh"), std::vector<std::wstring>{L"\u62DB\u5546\u94F6\u884C"});
}

TEST_F(ItemSearch, ItemsAddedLaterAreSortedIn) {
    index.insert_item(make_item(L"Beta", L"b"));
    EXPECT_EQ(query(L""), std::vector<std::wstring>{L"Beta"});
    index.insert_item(make_item(L"Alpha", L"a"));
    EXPECT_EQ(query(L""), (std::vector<std::wstring>{L"Alpha", L"Beta"}));
    EXPECT_FALSE(index.is_changed());
}

TEST_F(ItemSearch, BangQueriesGoToTheCommandSearch) {
    index.insert_item(make_item(L"about box", L"x"));
    EXPECT_TRUE(query(L"!about").empty()) << "without a command table nothing is listed";
    EXPECT_EQ(launcher.command_mode(), command_search_mode);

    std::wstring seen;
    launcher.set_command_search([&](const std::wstring& q, shown_results& out) {
        seen = q;
        out.push_back({L"About", L"about", 1.0});
    });
    EXPECT_EQ(query(L" !Ab out"), std::vector<std::wstring>{L"About"});
    EXPECT_EQ(seen, L"!about");
    EXPECT_EQ(*list.rows[0].data, L"about");

    query(L"a!");
    EXPECT_EQ(launcher.command_mode(), item_search_mode);
}

}  // namespace
}  // namespace tolvanir
