// The readers of what Windows keeps in and beside files: version resources,
// indirect strings, Desktop.ini sections, the System attribute, and
// environment expansion. The same cases hold for the Windows calls and for
// the POSIX stand-ins, on the committed fixtures of tests/fixtures/pe.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/indirect_string.h"
#include "platform/profile_section.h"
#include "platform/version_resource.h"
#include "support/environment.h"
#include "support/file_attributes.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;
using testing::temp_dir;
using testing::write_bytes;

std::wstring pe_fixture(const char* name) {
    return testing::fixture("pe", name).make_preferred().wstring();
}

// Characters 0 to 9 repeated: what the long fixtures hold, 300 of them.
std::wstring digits(std::size_t count) {
    std::wstring out;
    for (std::size_t k = 0; k < count; ++k) out.push_back(static_cast<wchar_t>(L'0' + k % 10));
    return out;
}

const std::wstring notepad_zh = L"\u8BB0\u4E8B\u672C";

TEST(PlatformReaders, FileDescriptionOfTheFirstTranslation) {
    const struct {
        const char* file;
        std::optional<std::wstring> description;
    } cases[] = {
        {"described.exe", notepad_zh},  // its block is named in upper case
        {"described32.dll", notepad_zh},
        {"spaced.exe", L"  Spaced Tool  "},
        {"blank.exe", L"   "},
        {"two_translations.exe", L"First Translation"},
        {"unlisted_block.exe", std::nullopt},
        {"long_description.exe", digits(259)},
        {"split_pair.exe", digits(258)},  // the 259th unit starts a pair
        {"no_version.exe", std::nullopt},
        {"strings.dll", std::nullopt},
        {"missing.exe", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read_file_description(pe_fixture(c.file)), c.description) << c.file;
    }
}

TEST(PlatformReaders, FilesThatAreNotExecutablesHaveNoDescription) {
    temp_dir dir;
    write_bytes(dir / L"empty.exe", "");
    write_bytes(dir / L"text.exe", "MZ but nothing else");
    EXPECT_EQ(read_file_description((dir / L"empty.exe").wstring()), std::nullopt);
    EXPECT_EQ(read_file_description((dir / L"text.exe").wstring()), std::nullopt);
    EXPECT_EQ(read_file_description(dir.path().wstring()), std::nullopt) << "a folder";
}

TEST(PlatformReaders, IndirectStringsFromStringTables) {
    const std::wstring strings = L"@" + pe_fixture("strings.dll");
    const struct {
        std::wstring source;
        std::wstring text;
    } cases[] = {
        {strings + L",-101", notepad_zh},
        {strings + L",-102", L"Calculator"},
        {strings + L",-4000", L"far id"},
        {strings + L",-103", digits(259)},
        {strings + L",-104", L"\U0001F600 smile"},
        {strings + L",-105", digits(258)},  // the 259th unit starts a pair
        {strings + L",-0102", L"Calculator"},
        {strings + L",-101;v2", notepad_zh},  // the comment some writers add
        {L"@" + pe_fixture("described32.dll") + L",-102", L"Calculator"},
        {strings + L",-106", L""},  // no such string
        {strings + L",-100", L""},  // in a block that exists, but empty
        {strings + L",102", L""},   // positive ids are not strings
        {strings + L",-0", L""},
        {strings + L",-", L""},
        {strings + L",- 101", L""},
        {strings, L""},
        {L"@" + pe_fixture("missing.dll") + L",-101", L""},
        {pe_fixture("strings.dll") + L",-101", L""},  // no '@'
        {L"@,-101", L""},
        {L"@", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(load_indirect_string(c.source), c.text) << ::testing::PrintToString(c.source);
    }
}

TEST(PlatformReaders, IndirectStringModulesNameEnvironmentVariables) {
    const fs::path dir = testing::fixture("pe", "strings.dll").parent_path().make_preferred();
    ASSERT_TRUE(testing::set_environment_variable(L"TOLVANIR_TEST_PE_DIR", dir.wstring()));
    EXPECT_EQ(load_indirect_string(L"@%TOLVANIR_TEST_PE_DIR%/strings.dll,-102"), L"Calculator");
    EXPECT_EQ(load_indirect_string(L"@%TOLVANIR_TEST_NO_SUCH_DIR%/strings.dll,-102"), L"");
}

// Desktop.ini as the shell writes it (UTF-16 LE with a byte-order mark) and
// as other tools do (UTF-8 with a mark, plain ASCII).
std::string utf16le_with_bom(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (const wchar_t c : text) {
        const auto add = [&](unsigned unit) {
            out.push_back(static_cast<char>(unit & 0xFF));
            out.push_back(static_cast<char>(unit >> 8));
        };
        const auto cp = static_cast<unsigned long>(c);
        if (cp > 0xFFFF) {
            add(0xD800 + ((cp - 0x10000) >> 10));
            add(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            add(static_cast<unsigned>(cp));
        }
    }
    return out;
}

std::string utf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        const auto cp = static_cast<unsigned long>(c);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

const std::wstring desktop_ini =
    L"; written by the tests\r\n"
    L"[.ShellClassInfo]\r\n"
    L"LocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21787\r\n"
    L"\r\n"
    L"  [ LocalizedFileNames ]  \r\n"
    L"Notepad.lnk=@%SystemRoot%\\system32\\notepad.exe,-469\r\n"
    L"; a comment\r\n"
    L"   ; an indented comment\r\n"
    L"\r\n"
    L"   \t\r\n"
    L"  Spaced.lnk  =  a value  \r\n"
    L"\u8BB0\u4E8B\u672C.lnk=\u8BB0\u4E8B\u672C\r\n"
    L"no equals sign\r\n"
    L"[Other]\r\n"
    L"Other.lnk=x\r\n"
    L"[LocalizedFileNames]\r\n"
    L"Second.lnk=only the first section of a name is read\r\n";

const std::vector<std::wstring> localized_lines = {
    L"Notepad.lnk=@%SystemRoot%\\system32\\notepad.exe,-469",
    L"Spaced.lnk=a value",
    L"\u8BB0\u4E8B\u672C.lnk=\u8BB0\u4E8B\u672C",
    L"no equals sign",
};

TEST(PlatformReaders, ProfileSectionsInEveryEncoding) {
    temp_dir dir;
    const struct {
        const wchar_t* name;
        std::string bytes;
    } files[] = {
        {L"utf16.ini", utf16le_with_bom(desktop_ini)},
        {L"utf8.ini", "\xEF\xBB\xBF" + utf8(desktop_ini)},
    };
    for (const auto& f : files) {
        write_bytes(dir / f.name, f.bytes);
        const std::wstring file = (dir / f.name).wstring();
        EXPECT_EQ(read_profile_section(file, L"LocalizedFileNames"), localized_lines) << f.name;
        EXPECT_EQ(read_profile_section(file, L"localizedfilenames"), localized_lines) << f.name;
        EXPECT_EQ(read_profile_section(file, L"Other"), std::vector<std::wstring>{L"Other.lnk=x"});
        EXPECT_EQ(read_profile_section(file, L".ShellClassInfo"),
                  std::vector<std::wstring>{
                      L"LocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21787"});
        EXPECT_TRUE(read_profile_section(file, L"Missing").empty()) << f.name;
    }
    EXPECT_TRUE(read_profile_section((dir / L"missing.ini").wstring(), L"Other").empty());
}

TEST(PlatformReaders, PlainAsciiProfileSections) {
    temp_dir dir;
    write_bytes(dir / L"Desktop.ini", "[LocalizedFileNames]\nCalc.lnk=@calc.dll,-1\n[Next]\nx=y");
    EXPECT_EQ(read_profile_section((dir / L"Desktop.ini").wstring(), L"LocalizedFileNames"),
              std::vector<std::wstring>{L"Calc.lnk=@calc.dll,-1"});
    EXPECT_EQ(read_profile_section((dir / L"Desktop.ini").wstring(), L"Next"),
              std::vector<std::wstring>{L"x=y"});
}

TEST(PlatformReaders, ProfileSectionsStopAtFourThousandCharacters) {
    // 21 characters a line, 22 with its null: 186 lines and the final null
    // take 4,093 of the 4,096; the 187th does not fit and is not cut short.
    temp_dir dir;
    std::string ini = "[Big]\r\n";
    std::vector<std::wstring> written;
    for (int k = 0; k < 400; ++k) {
        char line[48];
        std::snprintf(line, sizeof line, "Item%04d.lnk=valu%04d", k, k);
        ini += std::string(line) + "\r\n";
        written.emplace_back(line, line + 21);
    }
    write_bytes(dir / L"big.ini", ini);
    const auto lines = read_profile_section((dir / L"big.ini").wstring(), L"Big");
    ASSERT_EQ(lines.size(), 186u);
    EXPECT_TRUE(std::equal(lines.begin(), lines.end(), written.begin()));
}

TEST(PlatformReaders, SystemAttribute) {
    temp_dir dir;
    const std::wstring file = (dir / L"Desktop.ini").wstring();
    write_bytes(file, "[LocalizedFileNames]\r\n");
    EXPECT_FALSE(has_system_attribute(file));
    if (!testing::set_system_attribute(file)) {
        GTEST_SKIP() << "the file system keeps no DOS attributes (user extended attributes)";
    }
    EXPECT_TRUE(has_system_attribute(file));
    EXPECT_TRUE(testing::set_system_attribute(file)) << "setting it twice";
    EXPECT_TRUE(has_system_attribute(file));
    EXPECT_FALSE(has_system_attribute((dir / L"missing.ini").wstring()));
}

TEST(PlatformReaders, EnvironmentExpansion) {
    ASSERT_TRUE(testing::set_environment_variable(L"TOLVANIR_TEST_VAR", L"\u8BB0 value"));
    const std::wstring value = L"\u8BB0 value";
    const struct {
        const wchar_t* text;
        std::wstring expanded;
    } cases[] = {
        {L"%TOLVANIR_TEST_VAR%", value},
        {L"a%TOLVANIR_TEST_VAR%b", L"a" + value + L"b"},
        {L"%TOLVANIR_TEST_VAR%%TOLVANIR_TEST_VAR%", value + value},
        {L"%TOLVANIR_TEST_MISSING%", L"%TOLVANIR_TEST_MISSING%"},
        // The closing sign of an unknown name does not open the next one.
        {L"%TOLVANIR_TEST_MISSING%TOLVANIR_TEST_VAR%",
         L"%TOLVANIR_TEST_MISSING%TOLVANIR_TEST_VAR%"},
        {L"%%TOLVANIR_TEST_VAR%", L"%%TOLVANIR_TEST_VAR%"},  // "%%" names nothing
        {L"%TOLVANIR_TEST_VAR%%", value + L"%"},
        {L"100%", L"100%"},
        {L"%", L"%"},
        {L"%%", L"%%"},
        {L"50% off %TOLVANIR_TEST_VAR", L"50% off %TOLVANIR_TEST_VAR"},
        {L"", L""},
        {L"no percent", L"no percent"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expand_environment(c.text), c.expanded) << ::testing::PrintToString(c.text);
    }
}

}  // namespace
}  // namespace tolvanir
