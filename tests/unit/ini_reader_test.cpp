// The POSIX INI reader against the rules GetPrivateProfileSectionW follows
// under Wine, and the DOS attributes Wine and Samba keep in user.DOSATTRIB.
#include "platform/posix/ini_reader.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <string>
#include <vector>

#include "platform/profile_section.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

using lines = std::vector<std::wstring>;

TEST(IniReader, LinesOfASection) {
    const struct {
        const char* what;
        std::string file;
        const wchar_t* section;
        lines expected;
    } cases[] = {
        {"key and value trimmed",
         "[S]\r\n  a  =  b c  \r\n\t k\t=\tv\v\f\r\n",
         L"S",
         {L"a=b c", L"k=v"}},
        {"only the first '=' splits", "[S]\na = b = c\n", L"S", {L"a=b = c"}},
        {"lines without '=' and empty keys or values",
         "[S]\nplain line \n=v\nk=\n",
         L"S",
         {L"plain line", L"=v", L"k="}},
        {"comments and blank lines",
         "[S]\n; c\n   ;c\n\n \t \n# not a comment\n",
         L"S",
         {L"# not a comment"}},
        {"quotes and inline semicolons stay",
         "[S]\n\"k\" = \" v \" ; x\n",
         L"S",
         {L"\"k\"=\" v \" ; x"}},
        {"names are ASCII case-insensitive",
         "[LocalizedFileNames]\na=1\n",
         L"LOCALIZEDfilenames",
         {L"a=1"}},
        {"non-ASCII names are compared as they are",
         "\xEF\xBB\xBF[\xC3\x89]\na=1\n",
         L"\u00E9",
         {}},
        {"the name is trimmed inside the brackets", "  [ S ]  \na=1\n", L"S", {L"a=1"}},
        {"the wanted name is not", "[S]\na=1\n", L" S", {}},
        {"inner spaces of a name stay", "[c  d]\na=1\n", L"c d", {}},
        {"the name runs to the last ']'",
         "[a]b]\nx=1\n[g]]\ny=2\n[f] ; c\nz=3\n",
         L"a]b",
         {L"x=1"}},
        {"text after the last ']' is ignored", "[f] ; c\nz=3\n", L"f", {L"z=3"}},
        {"a '[' without ']' is a line", "[S]\na=1\n[T\nb=2\n", L"S", {L"a=1", L"[T", L"b=2"}},
        {"the section ends at the next header", "[S]\na=1\n[T]\nb=2\n[S]\nc=3\n", L"S", {L"a=1"}},
        {"only the first section of a name, even empty", "[S]\n[s]\na=1\n", L"S", {}},
        {"lines before any header form the section \"\"", "a=1\n[S]\nb=2\n", L"", {L"a=1"}},
        {"\"[]\" comes after that section", "[]\na=1\n", L"", {}},
        {"a missing section", "[S]\na=1\n", L"T", {}},
        {"LF, CR and CR LF all end lines",
         "[S]\na=1\rb=2\r\nc=3\n\rd=4",
         L"S",
         {L"a=1", L"b=2", L"c=3", L"d=4"}},
        {"a null ends a line's text",
         std::string("[S]\na=1\0hidden\nb=2\n", 19),
         L"S",
         {L"a=1", L"b=2"}},
        {"an empty file", "", L"S", {}},
        {"a header alone", "[S]", L"S", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini_section_lines(c.file, c.section), c.expected) << c.what;
    }
}

TEST(IniReader, Encodings) {
    const struct {
        const char* what;
        std::string file;
        lines expected;
    } cases[] = {
        {"UTF-16 LE", std::string("\xFF\xFE[\0S\0]\0\n\0k\0=\0\xB0\x8B\n\0", 18), {L"k=\u8BB0"}},
        {"UTF-16 BE", std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=\x8B\xB0", 16), {L"k=\u8BB0"}},
        {"UTF-16 surrogate pairs",
         std::string("\xFF\xFE[\0S\0]\0\n\0k\0=\0\x3D\xD8\x00\xDE", 18),
         {L"k=\U0001F600"}},
        {"UTF-16 lone surrogates",
         std::string("\xFF\xFE[\0S\0]\0\n\0k\0=\0\x3D\xD8x\0\x00\xDE", 20),
         {L"k=\uFFFDx\uFFFD"}},
        {"UTF-16 with an odd last byte",
         std::string("\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\x01", 17),
         {L"k=v"}},
        {"UTF-16 space is not trimmed",
         std::string("\xFF\xFE[\0S\0]\0\n\0\x00\x30k\0=\0\xA0\0", 18),
         {L"\u3000k=\u00A0"}},
        {"UTF-16 without its mark is not read as such",
         std::string("[\0S\0]\0\n\0k\0=\0v\0", 14),
         {}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[S]\nk=\xE8\xAE\xB0\n", {L"k=\u8BB0"}},
        {"UTF-8 without", "[S]\nk=\xE8\xAE\xB0\xF0\x9F\x98\x80\n", {L"k=\u8BB0\U0001F600"}},
        {"Latin-1", "[S]\nk=caf\xE9\n", {L"k=caf\u00E9"}},
        {"stray bytes among UTF-8",
         "[S]\nk=\xE8\xAE\xB0\xFF\xE8\xAE\n",
         {L"k=\u8BB0\u00FF\u00E8\u00AE"}},
        {"overlong and surrogate forms are bytes",
         "[S]\nk=\xC0\xAF\xED\xA0\x80\n",
         {L"k=\u00C0\u00AF\u00ED\u00A0\u0080"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini_section_lines(c.file, L"S"), c.expected) << c.what;
    }
}

TEST(IniReader, TheBufferLimitDropsWholeLines) {
    // Each line with its null, and the final null, in 4,096 UTF-16 units.
    const std::wstring line(99, L'k');  // 100 with its null
    std::string file = "[S]\n";
    for (int k = 0; k < 45; ++k) file += std::string(line.begin(), line.end()) + "=v\n";
    const auto kept = ini_section_lines(file, L"S");
    ASSERT_EQ(kept.size(), 40u);  // 40 * 102 + 1 = 4,081; one more would be 4,183
    EXPECT_EQ(kept.back(), line + L"=v");

    const auto exactly = [](std::size_t last_length, const std::string& last_char) {
        // 40 lines of 99 + null = 4,000, then one line of LAST_LENGTH units.
        std::string file = "[S]\n";
        for (int k = 0; k < 40; ++k) file += std::string(99, 'a') + "\n";
        std::string last;
        for (std::size_t units = 0; units < last_length; units += last_char == "x" ? 1 : 2) {
            last += last_char;
        }
        file += last + "\nafter=1\n";
        return ini_section_lines("\xEF\xBB\xBF" + file, L"S");
    };
    EXPECT_EQ(exactly(94, "x").size(), 41u) << "4,000 + 95 + the final null: 4,096";
    EXPECT_EQ(exactly(95, "x").size(), 40u) << "one unit over: the line is dropped, and all after";
    // Characters past the BMP take two units, as in Windows' buffer.
    EXPECT_EQ(exactly(94, "\xF0\x9F\x98\x80").size(), 41u);
    EXPECT_EQ(exactly(96, "\xF0\x9F\x98\x80").size(), 40u);
}

TEST(IniReader, HostileFilesEndQuickly) {
    // Long runs of what starts headers, comments and lines, and lines of
    // nothing but separators: each is one pass over the text.
    const std::string big(1 << 20, '[');
    EXPECT_TRUE(ini_section_lines(big, L"S").empty());
    EXPECT_TRUE(ini_section_lines(std::string(1 << 20, '\n'), L"S").empty());
    EXPECT_TRUE(ini_section_lines(std::string(1 << 20, '\0'), L"").empty());
    std::string many = "[S]\n";
    for (int k = 0; k < 100000; ++k) many += "=\n";
    EXPECT_EQ(ini_section_lines(many, L"S").size(), 2047u);  // "=" and its null: 2 units each
    std::string bytes;
    for (int k = 0; k < 4096; ++k) bytes.push_back(static_cast<char>(k * 37 + 11));
    (void)ini_section_lines(bytes, L"S");
    (void)ini_section_lines("\xFF\xFE" + bytes, L"S");
}

// What GetFileAttributesW reports under Wine for each user.DOSATTRIB value.
TEST(DosAttributes, SystemBitAsWineReadsIt) {
    testing::temp_dir dir;
    const std::string file = (dir / L"Desktop.ini").string();
    testing::write_bytes(file, "[S]\n");
    if (::setxattr(file.c_str(), "user.DOSATTRIB", "0x0", 3, 0) != 0) {
        GTEST_SKIP() << "the file system keeps no user extended attributes";
    }
    const struct {
        std::string value;
        bool system;
    } cases[] = {
        {"0x4", true},
        {"0x24", true},
        {"0x6", true},
        {"0xc", true},
        {"0x00000004", true},
        {"0x0000000000000000000000000000000000000004", true},
        {"0xFFFFFFFFFFFFFFFFFFFF", true},                 // saturates, as strtol does
        {std::string("0x4\0\x01\x02\x03\x04", 8), true},  // Samba: text, null, binary
        {"0x20", false},
        {"0x3", false},
        {"0X4", false},
        {"4", false},
        {"0x4z", false},
        {"0x", false},
        {std::string("0x\0\x04", 4), false},
        {" 0x4", false},
        {"0x4 ", false},
        {"0x-4", false},
        {"0x 4", false},
        {std::string(1000, '0'), false},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(::setxattr(file.c_str(), "user.DOSATTRIB", c.value.data(), c.value.size(), 0), 0);
        EXPECT_EQ(has_system_attribute(std::wstring(file.begin(), file.end())), c.system)
            << ::testing::PrintToString(c.value);
    }
    // Longer than the first read: Samba's binary part can be.
    const std::string longer = "0x4" + std::string(1, '\0') + std::string(2000, '\x7F');
    ASSERT_EQ(::setxattr(file.c_str(), "user.DOSATTRIB", longer.data(), longer.size(), 0), 0);
    EXPECT_TRUE(has_system_attribute(std::wstring(file.begin(), file.end())));
    ASSERT_EQ(::removexattr(file.c_str(), "user.DOSATTRIB"), 0);
    EXPECT_FALSE(has_system_attribute(std::wstring(file.begin(), file.end())));
}

}  // namespace
}  // namespace tolvanir
