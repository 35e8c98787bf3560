#include "config/language.h"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/program_files.h"
#include "platform/builtin_language.h"
#include "platform/ui_language.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;

struct member {
    const wchar_t* key;
    const wchar_t* value;
};

// The built-in table in file order. Texts are escaped so the compiler's
// source and execution character sets cannot change them.
const member builtin_members[] = {
    {L"name", L"Tolvanir"},
    // 输入命令：
    {L"title", L"\u8F93\u5165\u547D\u4EE4\uFF1A"},
    // 您正在使用64位操作系统，应该使用64位的本软件。
    {L"platform_error",
     L"\u60A8\u6B63\u5728\u4F7F\u7528"
     L"64\u4F4D\u64CD\u4F5C\u7CFB\u7EDF\uFF0C\u5E94\u8BE5\u4F7F\u7528"
     L"64\u4F4D\u7684\u672C\u8F6F\u4EF6\u3002"},
    // 欢迎使用Tolvanir
    {L"tray_title", L"\u6B22\u8FCE\u4F7F\u7528Tolvanir"},
    // 按下Win+R即可显示搜索界面\n再次按下即可隐藏。
    {L"tray_info",
     L"\u6309\u4E0BWin+R\u5373\u53EF\u663E\u793A\u641C\u7D22\u754C\u9762\n"
     L"\u518D\u6B21\u6309\u4E0B\u5373\u53EF\u9690\u85CF\u3002"},
    // 欢迎使用Tolvanir，目前正在开发中。
    {L"about_info",
     L"\u6B22\u8FCE\u4F7F\u7528Tolvanir\uFF0C\u76EE\u524D\u6B63\u5728\u5F00\u53D1\u4E2D\u3002"},
    // 关于
    {L"about", L"\u5173\u4E8E"},
    // 退出
    {L"exit", L"\u9000\u51FA"},
    // 添加目录
    {L"append", L"\u6DFB\u52A0\u76EE\u5F55"},
    // 开机启动
    {L"autorun_enable", L"\u5F00\u673A\u542F\u52A8"},
    // 取消开机启动
    {L"autorun_disable", L"\u53D6\u6D88\u5F00\u673A\u542F\u52A8"},
    // 您正在临时文件夹中运行本软件，不建议启用开机自动启动。\n您如果依然想要开机启动，请选择 是。
    {L"autorun_tip",
     L"\u60A8\u6B63\u5728\u4E34\u65F6\u6587\u4EF6\u5939\u4E2D\u8FD0\u884C\u672C\u8F6F\u4EF6\uFF0C"
     L"\u4E0D\u5EFA\u8BAE\u542F\u7528\u5F00\u673A\u81EA\u52A8\u542F\u52A8\u3002\n"
     L"\u60A8\u5982\u679C\u4F9D\u7136\u60F3\u8981\u5F00\u673A\u542F\u52A8\uFF0C\u8BF7\u9009\u62E9 "
     L"\u662F\u3002"},
};

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

void expect_builtin_table(const wptree& table) {
    ASSERT_EQ(table.size(), std::size(builtin_members));
    auto child = table.begin();
    for (const member& m : builtin_members) {
        SCOPED_TRACE(m.key);
        EXPECT_EQ(child->first, m.key);
        EXPECT_EQ(child->second.data(), m.value);
        EXPECT_TRUE(child->second.empty());
        EXPECT_EQ(text(table, m.key), m.value);
        ++child;
    }
}

TEST(LanguageBuiltin, BytesAreTheExactTableFile) {
    const std::optional<std::string> bytes = builtin_language_bytes();
    ASSERT_TRUE(bytes.has_value());
    const std::string& b = *bytes;
    EXPECT_EQ(b.size(), 630u);
    EXPECT_NE(b.compare(0, 3, "\xEF\xBB\xBF"), 0) << "byte-order mark";
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\n') {
            EXPECT_TRUE(i > 0 && b[i - 1] == '\r') << "lone LF at " << i;
        }
        if (b[i] == '\r') {
            EXPECT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << "lone CR at " << i;
        }
    }
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b.back(), '}') << "no line end after the closing brace";

    // "{", six members, an empty line, six members, "}"; each member written
    // <TAB>"key":"value" and all but the last followed by a comma.
    const std::vector<std::string> lines = split_lines(b);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines.front(), "{");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines.back(), "}");
    std::size_t index = 0;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        if (i == 7) continue;
        const member& m = builtin_members[index++];
        SCOPED_TRACE(m.key);
        std::string prefix = "\t\"";
        for (const wchar_t* k = m.key; *k; ++k) prefix.push_back(static_cast<char>(*k));
        prefix += "\":\"";
        EXPECT_EQ(lines[i].compare(0, prefix.size(), prefix), 0) << lines[i];
        const std::string end = index < std::size(builtin_members) ? "\"," : "\"";
        EXPECT_TRUE(lines[i].size() > end.size() &&
                    lines[i].compare(lines[i].size() - end.size(), end.size(), end) == 0)
            << lines[i];
    }
    // The two line breaks in texts are the JSON escape, not raw line ends.
    EXPECT_NE(lines[5].find("\\n"), std::string::npos);
    EXPECT_NE(lines[13].find("\\n"), std::string::npos);

    wptree table;
    ASSERT_TRUE(parse_json_text(b, table));
    expect_builtin_table(table);
}

TEST(LanguageText, LooksUpDottedPathsAndFallsBackToTheKey) {
    wptree table;
    ASSERT_TRUE(
        parse_json_text(R"({"name":"N","a":{"b":"inner"},"blank":"","a.b":"flat"})", table));
    const member rows[] = {
        {L"name", L"N"},
        {L"a.b", L"inner"},  // a path: member b of object a, not the member "a.b"
        {L"a", L""},         // an object has no text of its own
        {L"blank", L""},     // an empty text is still a text
        {L"missing", L"missing"},
        {L"a.c", L"a.c"},
        {L"name.x", L"name.x"},  // below a leaf
        {L"Name", L"Name"},      // keys are case-sensitive
        {L"\u4E2D\u6587", L"\u4E2D\u6587"},
    };
    for (const member& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(text(table, row.key), row.value);
    }
}

class LanguageLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / fs::unique_path(L"tolvanir-lang-%%%%-%%%%-%%%%");
        fs::create_directories(root_);
    }
    void TearDown() override {
        boost::system::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    static void write_file(const fs::path& file, const std::string& bytes) {
        fs::create_directories(file.parent_path());
        std::ofstream out(file.c_str(), std::ios::out | std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }

    static std::string read_file(const fs::path& file) {
        std::ifstream in(file.c_str(), std::ios::in | std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path root_;
};

TEST_F(LanguageLoad, WithoutALanguageFileTheBuiltInTableApplies) {
    wptree table;
    load_language_table(table, root_ / L"Lang" / L"en-US.json", builtin_language_bytes());
    expect_builtin_table(table);
}

TEST_F(LanguageLoad, ALanguageFileReplacesTheWholeTable) {
    // The directory name 语言 is outside every narrow code page of the test.
    const fs::path dirs[] = {root_ / L"Lang", root_ / L"\u8BED\u8A00" / L"Lang"};
    for (const fs::path& dir : dirs) {
        SCOPED_TRACE(dir.string());
        const fs::path file = dir / L"en-US.json";
        write_file(file, "{\"title\": \"Run:\"}");
        wptree table;
        load_language_table(table, file, builtin_language_bytes());
        EXPECT_EQ(text(table, L"title"), L"Run:");
        // Missing keys are not taken from the built-in table.
        EXPECT_EQ(text(table, L"name"), L"name");
        EXPECT_EQ(table.size(), 1u);
    }
}

TEST_F(LanguageLoad, ABrokenLanguageFileIsMovedAsideAndTheBuiltInTableApplies) {
    const std::string broken = "{\"title\": \"Run:\",\r\n\"name\" \"Tolvanir\"}";
    const fs::path file = root_ / L"\u8BED\u8A00" / L"zh-CN.json";
    write_file(file, broken);
    wptree table;
    load_language_table(table, file, builtin_language_bytes());
    expect_builtin_table(table);
    EXPECT_FALSE(fs::exists(file));
    fs::path aside = file;
    aside += ".bad";
    EXPECT_EQ(read_file(aside), broken);
}

TEST_F(LanguageLoad, UnusableBuiltInBytesLeaveAnEmptyTable) {
    struct {
        const char* what;
        std::optional<std::string> bytes;
    } const rows[] = {
        {"none", std::nullopt},
        {"empty", std::string()},
        {"not UTF-8", std::string("{\"name\":\"\xFF\xFE\"}")},
        {"truncated UTF-8", std::string("{\"name\":\"\xE8\xBE\"}")},
        {"not JSON", std::string("{\"name\":\"Tolvanir\",")},
        {"too deep", std::string(4096, '[')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        // Whatever an earlier load left must not survive.
        wptree table;
        table.put(L"name", L"stale");
        load_language_table(table, root_ / L"Lang" / L"missing.json", row.bytes);
        EXPECT_TRUE(table.empty());
        EXPECT_TRUE(table.data().empty());
        EXPECT_EQ(text(table, L"name"), L"name");
        EXPECT_EQ(text(table, L"about"), L"about");
    }
}

TEST(LanguageProcessTable, LoadsFromTheProgramsLanguageDirectory) {
    const fs::path lang_dir = program_directory() / L"Lang";
    const bool dir_existed = fs::exists(lang_dir);
    const fs::path file = language_file_path(ui_language_name() + L".json");
    EXPECT_EQ(file.parent_path(), lang_dir);
    if (!dir_existed) {
        EXPECT_FALSE(fs::exists(lang_dir)) << "language_file_path creates nothing";
    }
    if (fs::exists(file)) GTEST_SKIP() << "a language file lies beside the test program";

    wptree saved;
    saved.swap(language_table());
    load_language_table();
    EXPECT_EQ(text(L"name"), L"Tolvanir");
    EXPECT_EQ(text(L"about"), L"\u5173\u4E8E");  // 关于
    saved.swap(language_table());
}

TEST(UiLanguage, NameIsALanguageWithAnOptionalCountry) {
    const std::wstring name = ui_language_name();
    const std::size_t dash = name.find(L'-');
    const std::wstring language = name.substr(0, dash);
    EXPECT_GE(language.size(), 2u) << name;
    EXPECT_LE(language.size(), 3u) << name;
    for (const wchar_t c : language) EXPECT_TRUE(c >= L'a' && c <= L'z') << name;
    if (dash != std::wstring::npos) {
        const std::wstring country = name.substr(dash + 1);
        EXPECT_FALSE(country.empty()) << name;
        for (const wchar_t c : country) {
            EXPECT_TRUE((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) << name;
        }
    }
}

}  // namespace
}  // namespace tolvanir
