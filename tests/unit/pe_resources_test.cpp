// The POSIX reader of PE resources on hostile input: cut, corrupted and
// hand-built files whose offsets point back, past the end or nowhere. Also
// what only the POSIX stand-ins meet: native paths, and environments that
// hold what Windows' cannot.
#include "platform/posix/pe_resources.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/indirect_string.h"
#include "platform/version_resource.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;
using testing::read_bytes;
using testing::temp_dir;
using testing::write_bytes;

std::string pe_fixture(const char* name) { return read_bytes(testing::fixture("pe", name)); }

void put16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

std::string le16(std::uint32_t v) {
    std::string b(2, '\0');
    put16(b, 0, v);
    return b;
}

std::string le32(std::uint32_t v) {
    std::string b(4, '\0');
    put32(b, 0, v);
    return b;
}

// UTF-16 LE of code units as given (so that broken surrogates can be written).
std::string units(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) out += le16(c);
    return out;
}

void pad4(std::string& b) { b.resize((b.size() + 3) & ~std::size_t{3}, '\0'); }

// A resource of a hand-built PE file.
struct resource {
    std::uint16_t type, name, language;
    std::string data;
};

constexpr std::uint32_t section_rva = 0x1000;
constexpr std::size_t section_file_offset = 0x200;
constexpr std::size_t nt_offset = 0x40;

// A PE32+ (or PE32) file with one section, .rsrc, holding RESOURCES in a
// directory as linkers write it: ids sorted, data entries after the
// directories, data last.
std::string build_pe(const std::vector<resource>& resources, bool pe32 = false) {
    std::map<std::uint16_t, std::map<std::uint16_t, std::map<std::uint16_t, const std::string*>>>
        tree;
    for (const auto& r : resources) tree[r.type][r.name][r.language] = &r.data;

    std::size_t size = 16 + 8 * tree.size();
    std::size_t leaves = 0;
    for (const auto& [type, names] : tree) {
        size += 16 + 8 * names.size();
        for (const auto& [name, languages] : names) {
            size += 16 + 8 * languages.size();
            leaves += languages.size();
        }
    }
    const std::size_t entries_at = size;
    std::size_t data_at = entries_at + 16 * leaves;

    std::string rsrc(data_at, '\0');
    std::size_t dir_at = 0, next_dir = 16 + 8 * tree.size(), next_leaf = entries_at;
    const auto directory = [&](std::size_t at, std::size_t count) { put16(rsrc, at + 14, count); };
    directory(dir_at, tree.size());
    std::size_t type_k = 0;
    for (const auto& [type, names] : tree) {
        const std::size_t type_dir = next_dir;
        put32(rsrc, 16 + 8 * type_k, type);
        put32(rsrc, 16 + 8 * type_k + 4, 0x80000000u | type_dir);
        ++type_k;
        directory(type_dir, names.size());
        next_dir += 16 + 8 * names.size();
        std::size_t name_k = 0;
        for (const auto& [name, languages] : names) {
            const std::size_t name_dir = next_dir;
            put32(rsrc, type_dir + 16 + 8 * name_k, name);
            put32(rsrc, type_dir + 16 + 8 * name_k + 4, 0x80000000u | name_dir);
            ++name_k;
            directory(name_dir, languages.size());
            next_dir += 16 + 8 * languages.size();
            std::size_t language_k = 0;
            for (const auto& [language, data] : languages) {
                put32(rsrc, name_dir + 16 + 8 * language_k, language);
                put32(rsrc, name_dir + 16 + 8 * language_k + 4, next_leaf);
                ++language_k;
                put32(rsrc, next_leaf, section_rva + rsrc.size());
                put32(rsrc, next_leaf + 4, data->size());
                next_leaf += 16;
                rsrc += *data;
                pad4(rsrc);
            }
        }
    }
    (void)dir_at;

    const std::size_t optional_size = pe32 ? 224 : 240;
    std::string pe(section_file_offset, '\0');
    pe[0] = 'M', pe[1] = 'Z';
    put32(pe, 0x3C, nt_offset);
    pe.replace(nt_offset, 4, std::string("PE\0\0", 4));
    put16(pe, nt_offset + 4, pe32 ? 0x14C : 0x8664);
    put16(pe, nt_offset + 6, 1);
    put16(pe, nt_offset + 20, optional_size);
    const std::size_t optional = nt_offset + 24;
    put16(pe, optional, pe32 ? 0x10B : 0x20B);
    put32(pe, optional + (pe32 ? 92 : 108), 16);
    const std::size_t directories = optional + (pe32 ? 96 : 112);
    put32(pe, directories + 16, section_rva);
    put32(pe, directories + 20, rsrc.size());
    const std::size_t section = optional + optional_size;
    pe.replace(section, 5, ".rsrc");
    put32(pe, section + 8, rsrc.size());
    put32(pe, section + 12, section_rva);
    put32(pe, section + 16, rsrc.size());
    put32(pe, section + 20, section_file_offset);
    return pe + rsrc;
}

// Offsets of the hand-built file with one resource.
constexpr std::size_t root_entry = section_file_offset + 16;  // type id, then its target
constexpr std::size_t type_dir = section_file_offset + 24;
constexpr std::size_t name_entry = type_dir + 16;
constexpr std::size_t language_dir = type_dir + 24;
constexpr std::size_t language_entry = language_dir + 16;
constexpr std::size_t data_entry = language_dir + 24;

// A block of a VS_VERSIONINFO tree.
std::string block(const std::u16string& key, std::uint16_t type, const std::string& value,
                  std::uint16_t value_length, const std::vector<std::string>& children = {}) {
    std::string b = le16(0) + le16(value_length) + le16(type) + units(key) + le16(0);
    pad4(b);
    b += value;
    for (const auto& child : children) {
        pad4(b);
        b += child;
    }
    put16(b, 0, b.size());
    return b;
}

std::string text_block(const std::u16string& key, const std::u16string& text) {
    return block(key, 1, units(text) + le16(0), text.size() + 1);
}

std::string version_info(const std::vector<std::string>& tables,
                         const std::string& translations = le32(0x04B00409)) {
    return block(u"VS_VERSION_INFO", 0, std::string(52, '\0'), 52,
                 {block(u"StringFileInfo", 1, "", 0, tables),
                  block(u"VarFileInfo", 1, "", 0,
                        {block(u"Translation", 0, translations, translations.size())})});
}

std::string english(const std::u16string& description) {
    return block(u"040904b0", 1, "", 0, {text_block(u"FileDescription", description)});
}

std::string string_block(const std::vector<std::u16string>& entries) {
    std::string b;
    for (std::size_t k = 0; k < 16; ++k) {
        const std::u16string text = k < entries.size() ? entries[k] : u"";
        b += le16(text.size()) + units(text);
    }
    return b;
}

// What every answer must look like, whatever the input.
void expect_sane(const std::optional<std::wstring>& text) {
    if (!text) return;
    std::size_t utf16 = 0;
    for (const wchar_t c : *text) {
        const auto cp = static_cast<std::uint32_t>(c);
        ASSERT_NE(cp, 0u);
        ASSERT_TRUE(cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) << std::hex << cp;
        utf16 += cp > 0xFFFF ? 2 : 1;
    }
    ASSERT_LE(utf16, max_resource_text_units);
}

TEST(PeResources, BytesAndFilesGiveTheSameAnswers) {
    for (const char* name : {"described.exe", "described32.dll", "two_translations.exe",
                             "strings.dll", "no_version.exe"}) {
        const std::string bytes = pe_fixture(name);
        const std::wstring path = testing::fixture("pe", name).wstring();
        EXPECT_EQ(version_file_description(bytes), read_file_description(path)) << name;
    }
    const std::string strings = pe_fixture("strings.dll");
    EXPECT_EQ(string_table_entry(strings, 102), L"Calculator");
    EXPECT_EQ(string_table_entry(strings, 4000), L"far id");
    EXPECT_EQ(string_table_entry(strings, 104), L"\U0001F600 smile");
    EXPECT_EQ(string_table_entry(strings, 100), std::nullopt);
    EXPECT_EQ(string_table_entry(strings, 1), std::nullopt) << "block 1 does not exist";
    EXPECT_EQ(string_table_entry(pe_fixture("described32.dll"), 101), L"\u8BB0\u4E8B\u672C");
}

TEST(PeResources, EveryCutOfAFixtureGivesTheWholeAnswerOrNone) {
    const struct {
        const char* file;
        std::vector<unsigned> ids;
    } fixtures[] = {
        {"described.exe", {}},
        {"described32.dll", {101, 102}},
        {"two_translations.exe", {}},
        {"long_description.exe", {}},
        {"strings.dll", {101, 102, 103, 104, 105, 4000}},
    };
    for (const auto& f : fixtures) {
        const std::string whole = pe_fixture(f.file);
        const auto description = version_file_description(whole);
        std::vector<std::optional<std::wstring>> strings;
        for (const unsigned id : f.ids) strings.push_back(string_table_entry(whole, id));
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const auto section = resource_section_of(std::string_view(whole).substr(0, length));
            if (!section) continue;
            const auto cut = version_file_description(*section);
            if (cut) {
                EXPECT_EQ(cut, description) << f.file << " cut to " << length;
            }
            for (std::size_t k = 0; k < f.ids.size(); ++k) {
                const auto text = string_table_entry(*section, f.ids[k]);
                if (text) {
                    EXPECT_EQ(text, strings[k]) << f.file << " cut to " << length;
                }
            }
        }
    }
}

TEST(PeResources, EveryCorruptedByteIsSurvived) {
    // Under the sanitizers this proves every read is bounds-checked; the
    // answers themselves only have to be well-formed.
    for (const char* name : {"described.exe", "strings.dll", "described32.dll"}) {
        const std::string whole = pe_fixture(name);
        for (std::size_t at = 0; at < whole.size(); ++at) {
            for (const char value : {'\x00', '\x7F', '\x80', '\xFF'}) {
                if (whole[at] == value) continue;
                std::string bytes = whole;
                bytes[at] = value;
                const auto section = resource_section_of(bytes);
                if (!section) continue;
                expect_sane(version_file_description(*section));
                expect_sane(string_table_entry(*section, 101));
                expect_sane(string_table_entry(*section, 4000));
            }
        }
    }
}

TEST(PeResources, HandBuiltFilesOfBothFormats) {
    const std::string info = version_info({english(u"Tool")});
    for (const bool pe32 : {false, true}) {
        const std::string pe = build_pe({{16, 1, 0x409, info}}, pe32);
        EXPECT_EQ(version_file_description(pe), L"Tool") << (pe32 ? "PE32" : "PE32+");
    }
    EXPECT_EQ(version_file_description(build_pe({{16, 2, 0x409, info}})), std::nullopt)
        << "Windows reads the version resource with id 1 only";
}

TEST(PeResources, TheFirstLanguageIsTaken) {
    const std::string pe = build_pe({
        {6, 7, 0x409, string_block({u"", u"", u"", u"", u"", u"", u"Calculator"})},
        {6, 7, 0x407, string_block({u"", u"", u"", u"", u"", u"", u"Rechner"})},
        {16, 1, 0x804, version_info({english(u"Chinese entry")})},
        {16, 1, 0x409, version_info({english(u"English entry")})},
    });
    EXPECT_EQ(string_table_entry(pe, 102), L"Rechner");
    EXPECT_EQ(version_file_description(pe), L"English entry");
}

TEST(PeResources, BrokenHeadersGiveNothing) {
    const std::string good = build_pe({{16, 1, 0, version_info({english(u"Tool")})}});
    ASSERT_EQ(version_file_description(good), L"Tool");
    const std::size_t optional = nt_offset + 24;
    const std::size_t section = optional + 240;
    const struct {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        bool wide;
    } cases[] = {
        {"no MZ", 0, 'X', false},
        {"NT headers past the end", 0x3C, 0xFFFFFFF0u, true},
        {"NT headers at the DOS header", 0x3C, 0, true},
        {"no PE signature", nt_offset, 'X', false},
        {"section table past the end", nt_offset + 6, 0xFFFF, false},
        {"no sections", nt_offset + 6, 0, false},
        {"optional header too short", nt_offset + 20, 100, false},
        {"optional header past the end", nt_offset + 20, 0xFFFF, false},
        {"unknown optional header", optional, 0x107, false},
        {"too few data directories", optional + 108, 2, true},
        {"no resource directory", optional + 112 + 16, 0, true},
        {"resource directory in no section", optional + 112 + 16, 0x9000, true},
        {"resource directory before its section", section + 12, 0x2000, true},
        {"raw data past the end", section + 20, 0x10000, true},
        {"raw data at the very end", section + 20, 0xFFFFFFFFu, true},
        {"raw size zero", section + 16, 0, true},
    };
    for (const auto& c : cases) {
        std::string bad = good;
        if (c.wide) {
            put32(bad, c.at, c.value);
        } else {
            put16(bad, c.at, c.value);
        }
        EXPECT_EQ(version_file_description(bad), std::nullopt) << c.what;
    }
}

TEST(PeResources, DirectoryOffsetsThatLoopOrLeadNowhereEnd) {
    const std::string good = build_pe({{16, 1, 0, version_info({english(u"Tool")})}});
    const struct {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } cases[] = {
        {"the type points back at the root", root_entry + 4, 0x80000000u},
        {"the name points back at its own directory", name_entry + 4, 0x80000018u},
        {"the language is a directory: the root", language_entry + 4, 0x80000000u},
        {"the type is a data entry", root_entry + 4, 0x18},
        {"the type directory past the end", root_entry + 4, 0x8FFFFFF0u},
        {"the data entry past the end", language_entry + 4, 0x7FFFFFF0u},
        {"the data before the section", data_entry, 0x10},
        {"the data past the section", data_entry, 0x1000 + 0x100000},
        {"the data size past the section", data_entry + 4, 0x100000},
        {"the data size wraps around", data_entry + 4, 0xFFFFFFFFu},
        {"a named type in place of the id", root_entry, 0x80000010u},
        {"no language entries", language_dir + 14, 0},
    };
    for (const auto& c : cases) {
        std::string bad = good;
        put32(bad, c.at, c.value);
        EXPECT_EQ(version_file_description(bad), std::nullopt) << c.what;
    }
    // A root that points at itself for every type and name: three steps, then done.
    std::string loop = good;
    put16(loop, section_file_offset + 14, 2);
    put32(loop, root_entry, 1);
    put32(loop, root_entry + 4, 0x80000000u);
    put32(loop, root_entry + 8, 16);
    put32(loop, root_entry + 12, 0x80000000u);
    EXPECT_EQ(version_file_description(loop), std::nullopt);
}

TEST(PeResources, HugeEntryCountsAreBoundedByTheBytes) {
    std::string bad = build_pe({{16, 1, 0, version_info({english(u"Tool")})}});
    for (const std::size_t dir : {section_file_offset, type_dir, language_dir}) {
        put16(bad, dir + 12, 0xFFFF);
        put16(bad, dir + 14, 0xFFFF);
    }
    const auto description = version_file_description(bad);
    if (description) {
        EXPECT_EQ(description, L"Tool");
    }
}

TEST(PeResources, VersionTreesOfEveryShape) {
    const std::string tool = english(u"Tool");
    // A child of length zero before the table: the walk must stop, not spin.
    std::string stuck =
        block(u"StringFileInfo", 1, "", 0, {le16(0) + le16(0) + le16(1) + le16(0), tool});
    const auto tree = [](const std::string& string_info, const std::string& translations) {
        return block(
            u"VS_VERSION_INFO", 0, std::string(52, '\0'), 52,
            {string_info, block(u"VarFileInfo", 1, "", 0,
                                {block(u"Translation", 0, translations, translations.size())})});
    };
    std::string no_null_key = text_block(u"FileDescription", u"Tool");
    no_null_key.resize(6 + 2 * 15);  // the key runs to the block's end
    put16(no_null_key, 0, no_null_key.size());
    std::string long_value = text_block(u"FileDescription", u"Tool");
    put16(long_value, 2, 0xFFFF);  // the value claims more than the block holds

    const struct {
        const char* what;
        std::string info;
        std::optional<std::wstring> description;
    } cases[] = {
        {"plain", version_info({tool}), L"Tool"},
        {"upper-case block name",
         version_info({block(u"040904B0", 1, "", 0, {text_block(u"FileDescription", u"Up")})}),
         L"Up"},
        {"upper-case keys",
         block(u"VS_VERSION_INFO", 0, std::string(52, '\0'), 52,
               {block(u"STRINGFILEINFO", 1, "", 0,
                      {block(u"040904b0", 1, "", 0, {text_block(u"FILEDESCRIPTION", u"Caps")})}),
                block(u"varfileinfo", 1, "", 0, {block(u"translation", 0, le32(0x04B00409), 4)})}),
         L"Caps"},
        {"first translation only",
         version_info({block(u"080404b0", 1, "", 0, {text_block(u"FileDescription", u"zh")})},
                      le32(0x04B00409) + le32(0x04B00804)),
         std::nullopt},
        {"translation of two bytes", tree(block(u"StringFileInfo", 1, "", 0, {tool}), le16(0x409)),
         std::nullopt},
        {"no translation", block(u"VS_VERSION_INFO", 0, std::string(52, '\0'), 52, {tool}),
         std::nullopt},
        {"a child of length zero", tree(stuck, le32(0x04B00409)), std::nullopt},
        {"a key without its null", version_info({block(u"040904b0", 1, "", 0, {no_null_key})}),
         std::nullopt},
        {"a value longer than its block",
         version_info({block(u"040904b0", 1, "", 0, {long_value})}), L"Tool"},
        {"a description without a null",
         version_info(
             {block(u"040904b0", 1, "", 0, {block(u"FileDescription", 1, units(u"Bare"), 4)})}),
         L"Bare"},
        {"an empty description",
         version_info({block(u"040904b0", 1, "", 0, {block(u"FileDescription", 1, "", 0)})}), L""},
        {"a binary-typed description counts bytes",
         version_info({block(u"040904b0", 1, "", 0,
                             {block(u"FileDescription", 0, units(u"Bytes") + le16(0), 12)})}),
         L"Bytes"},
        {"the first of two descriptions",
         version_info({block(
             u"040904b0", 1, "", 0,
             {text_block(u"FileDescription", u"One"), text_block(u"FileDescription", u"Two")})}),
         L"One"},
        {"lone surrogates",
         version_info({english(std::u16string(u"a") + char16_t(0xD800) + u"b" + char16_t(0xDC00))}),
         L"a\uFFFDb\uFFFD"},
        {"an empty tree", "", std::nullopt},
        {"a root of length five", le16(5) + le16(0) + le16(0), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(version_info_description(c.info), c.description) << c.what;
        for (std::size_t length = 0; length < c.info.size(); ++length) {
            expect_sane(version_info_description(std::string_view(c.info).substr(0, length)));
        }
    }
}

TEST(PeResources, TextsAreCutToWhatWindowsBuffersHold) {
    std::u16string long_text(300, u'x');
    EXPECT_EQ(version_info_description(version_info({english(long_text)})),
              std::wstring(259, L'x'));
    // A pair that would be cut in half is left out whole.
    std::u16string pair_at_end(258, u'x');
    pair_at_end += u"\U0001F600";
    EXPECT_EQ(version_info_description(version_info({english(pair_at_end)})),
              std::wstring(258, L'x'));
    std::u16string pair_inside(257, u'x');
    pair_inside += u"\U0001F600";
    EXPECT_EQ(version_info_description(version_info({english(pair_inside)})),
              std::wstring(257, L'x') + L"\U0001F600");
    EXPECT_EQ(string_block_entry(string_block({long_text}), 0), std::wstring(259, L'x'));
}

TEST(PeResources, StringBlocks) {
    const std::string full = string_block({u"zero", u"", u"two", u"three"});
    const struct {
        const char* what;
        std::string block;
        unsigned index;
        std::optional<std::wstring> text;
    } cases[] = {
        {"first", full, 0, L"zero"},
        {"empty entries are missing", full, 1, std::nullopt},
        {"third", full, 2, L"two"},
        {"a null ends the text", string_block({u"", u"", u"", std::u16string(u"emb\0x", 5)}), 3,
         L"emb"},
        {"last",
         string_block({u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"",
                       u"fifteen"}),
         15, L"fifteen"},
        {"past the sixteen", full, 16, std::nullopt},
        {"a block cut short", full.substr(0, 7), 2, std::nullopt},
        {"a length past the block", le16(0xFFFF) + units(u"abc"), 0, std::nullopt},
        {"an empty block", "", 0, std::nullopt},
        {"an odd byte", "\x01", 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(string_block_entry(c.block, c.index), c.text) << c.what;
    }

    std::string last_block = string_block({});
    put16(last_block, 30, 4);
    last_block.insert(32, units(u"last"));
    const std::string pe = build_pe({{6, 4096, 0, last_block}});
    EXPECT_EQ(string_table_entry(pe, 65535), L"last") << "block 4096 holds ids 65520 to 65535";
    EXPECT_EQ(string_table_entry(pe, 65535 + 16), std::nullopt) << "no wrap-around to block 1";
}

// How load_indirect_string treats what only the POSIX side can meet.
TEST(PeResources, IndirectStringsOnPosix) {
    temp_dir dir;
    fs::create_directories(dir / L"a,-5");
    fs::copy_file(testing::fixture("pe", "strings.dll"), dir / L"a,-5" / L"strings.dll");
    const std::wstring comma_path = (dir / L"a,-5" / L"strings.dll").wstring();
    const std::wstring strings = testing::fixture("pe", "strings.dll").wstring();
    const struct {
        std::wstring source;
        std::wstring text;
    } cases[] = {
        {L"@" + comma_path + L",-102", L"Calculator"},  // the last comma with an id
        {L"@" + strings + L",-102;comment, with a comma", L"Calculator"},
        {L"@" + strings + L",-102,", L""},
        {L"@" + strings + L",-102x", L""},
        {L"@" + strings + L",-65536", L""},
        {L"@" + strings + L",-99999999999999999999", L""},
        {L"@strings.dll,-102", L""},  // the Windows loader's search order
        {L"@C:\\Windows\\System32\\shell32.dll,-21787", L""},
        {L"@" + dir.path().wstring() + L",-102", L""},  // a folder
        {L"@/dev/null,-102", L""},
        {std::wstring(L"@") + strings + std::wstring(L"\0x,-102", 5), L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(load_indirect_string(c.source), c.text) << ::testing::PrintToString(c.source);
    }
}

TEST(PeResources, EnvironmentExpansionOnPosix) {
    ASSERT_EQ(::setenv("TOLVANIR_TEST_BIG", std::string(20000, 'x').c_str(), 1), 0);
    ASSERT_EQ(::setenv("TOLVANIR_TEST_NOT_UTF8", "caf\xE9", 1), 0);
    ASSERT_EQ(::setenv("TOLVANIR_TEST_A", "B=C", 1), 0);
    ASSERT_EQ(::setenv("TOLVANIR_TEST_ASTRAL", "\xF0\x9F\x98\x80", 1), 0);
    const struct {
        std::wstring text;
        std::wstring expanded;
    } cases[] = {
        {L"%TOLVANIR_TEST_BIG%", std::wstring(20000, L'x')},
        // Past ExpandEnvironmentStringsW's 32K limit: left as it stands.
        {L"%TOLVANIR_TEST_BIG%%TOLVANIR_TEST_BIG%", L"%TOLVANIR_TEST_BIG%%TOLVANIR_TEST_BIG%"},
        {L"%TOLVANIR_TEST_NOT_UTF8%", L"%TOLVANIR_TEST_NOT_UTF8%"},
        // getenv("A=B") would find A's value "B=C" and answer "C".
        {L"%TOLVANIR_TEST_A=B%", L"%TOLVANIR_TEST_A=B%"},
        {L"%tolvanir_test_a%", L"%tolvanir_test_a%"},  // names are case-sensitive here
        {L"%TOLVANIR_TEST_ASTRAL%", L"\U0001F600"},
        {std::wstring(L"%TOLVANIR_TEST_A\0x%", 19), std::wstring(L"%TOLVANIR_TEST_A\0x%", 19)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expand_environment(c.text), c.expanded)
            << ::testing::PrintToString(c.text.substr(0, 60));
    }
    // 16,383 astral characters are 32,766 UTF-16 units: within the limit.
    std::string astral;
    for (int k = 0; k < 16383; ++k) astral += "\xF0\x9F\x98\x80";
    ASSERT_EQ(::setenv("TOLVANIR_TEST_ASTRAL", astral.c_str(), 1), 0);
    EXPECT_EQ(expand_environment(L"%TOLVANIR_TEST_ASTRAL%").size(), 16383u);
    EXPECT_EQ(expand_environment(L"%TOLVANIR_TEST_ASTRAL%ab"), L"%TOLVANIR_TEST_ASTRAL%ab");
}

TEST(PeResources, OnlyRegularFilesAreRead) {
    temp_dir dir;
    const std::string fifo = (dir / L"fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(read_regular_file(fifo), std::nullopt) << "and the open did not wait for a writer";
    EXPECT_EQ(read_resource_section(fifo), std::nullopt);
    EXPECT_EQ(read_regular_file(dir.path().string()), std::nullopt);
    write_bytes(dir / L"ten", "0123456789");
    EXPECT_EQ(read_regular_file((dir / L"ten").string(), 10), "0123456789");
    EXPECT_EQ(read_regular_file((dir / L"ten").string(), 9), std::nullopt);
    write_bytes(dir / L"empty", "");
    EXPECT_EQ(read_regular_file((dir / L"empty").string()), "");
}

}  // namespace
}  // namespace tolvanir
