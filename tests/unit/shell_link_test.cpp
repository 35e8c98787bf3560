#include "platform/shell_link.h"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf8.h"
#include "support/temp_dir.h"

namespace tolvanir {
namespace {

namespace fs = boost::filesystem;
using testing::read_bytes;
using testing::temp_dir;
using testing::write_bytes;

// Cross-compiled, these tests read the same files through the shell's own
// reader under Wine, which takes some paths differently from Windows; only
// there are its answers accepted too.
constexpr bool windows_build = fs::path::preferred_separator == L'\\';

fs::path fixture(const char* name) {
    return fs::path(TOLVANIR_TEST_DATA_DIR "/../fixtures/lnk") / name;
}

// Length as Windows counts it, in UTF-16 units.
std::size_t utf16_length(const std::wstring& text) {
    std::size_t units = 0;
    for (const wchar_t c : text) units += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
    return units;
}

struct link_case {
    const char* file;
    std::wstring expected;
    // Also accepted from the Windows build (see each case); empty for none.
    std::wstring also_on_windows;
};

TEST(ShellLink, GivesTheRawTargetPath) {
    const std::vector<link_case> cases = {
        // Written by the shell (IShellLinkW under Wine).
        {"notepad.lnk", L"C:\\windows\\system32\\notepad.exe", L""},
        // Wine wrote the link info in the ANSI code page only. Windows itself
        // may take the path from the ID list, which keeps the Unicode names.
        {"chinese_arguments.lnk", L"C:\\Program Files\\???\\???.exe",
         L"C:\\Program Files\\\u8BB0\u4E8B\u672C\\\u8BB0\u4E8B\u672C.exe"},
        // Put together byte by byte. The environment block wins over the
        // link info. The other answers accepted are Wine's: it ignores the
        // block, reads only the link info's ANSI path (one '?' for each
        // character outside the code page) and drops the common path suffix.
        {"environment.lnk", L"%windir%\\system32\\notepad.exe",
         L"C:\\Windows\\System32\\notepad.exe"},
        {"unicode_link_info.lnk", L"C:\\Program Files\\\u8BB0\u4E8B\u672C\\\u8BB0\u4E8B\u672C.exe",
         L"C:\\Program Files\\???\\???.exe"},
        {"astral.lnk", L"C:\\Tools\\\U00020000\\run.exe", L"C:\\Tools\\?\\run.exe"},
        // Local base path and common path suffix.
        {"split_local_path.lnk", L"C:\\Windows\\System32\\calc.exe", L"C:\\Windows\\"},
        {"relative_only.lnk", L"..\\tools\\tool.exe", L""},
        // Cut to fit MAX_PATH with its terminator.
        {"long_relative.lnk", L"..\\" + std::wstring(256, L'd'), L""},
    };
    for (const link_case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::wstring target = resolve_shortcut(fixture(c.file).wstring());
        if (windows_build && !c.also_on_windows.empty() && target == c.also_on_windows) continue;
        EXPECT_EQ(to_utf8(target), to_utf8(c.expected));
    }
}

TEST(ShellLink, GivesNothingForWhatIsNoShortcut) {
    temp_dir dir;
    write_bytes(dir / L"empty.lnk", "");
    write_bytes(dir / L"text.lnk", "[InternetShortcut]\r\nURL=https://example.org/\r\n");
    // A header of the right size with the wrong class identifier.
    std::string wrong_class = read_bytes(fixture("notepad.lnk"));
    ASSERT_GT(wrong_class.size(), 0x14u);
    wrong_class[0x04] ^= 0x01;
    write_bytes(dir / L"wrong_class.lnk", wrong_class);
    fs::create_directory(dir / L"folder.lnk");

    for (const wchar_t* name :
         {L"missing.lnk", L"empty.lnk", L"text.lnk", L"wrong_class.lnk", L"folder.lnk"}) {
        SCOPED_TRACE(to_utf8(name));
        EXPECT_EQ(resolve_shortcut((dir / name).wstring()), L"");
    }
    EXPECT_EQ(resolve_shortcut(L""), L"");
}

// A named pipe called .lnk must not hold the scan up until someone writes.
TEST(ShellLink, DoesNotWaitOnANamedPipe) {
    if (windows_build) GTEST_SKIP() << "no named pipes in the file system";
    temp_dir dir;
    const fs::path pipe = dir / L"pipe.lnk";
    ASSERT_EQ(std::system(("mkfifo '" + pipe.string() + "'").c_str()), 0);

    std::promise<std::wstring> answer;
    std::future<std::wstring> result = answer.get_future();
    std::thread reader([&] { answer.set_value(resolve_shortcut(pipe.wstring())); });
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "still waiting on the pipe";
        std::ofstream(pipe.string()).close();  // lets the reader go
    }
    reader.join();
    EXPECT_EQ(result.get(), L"");
}

// Damaged copies of real links: whatever comes back, nothing crashes, leaks
// or overruns, and the answer still fits MAX_PATH. Under Wine each call costs
// about 10 ms, so the Windows build tries every fourth case only.
TEST(ShellLink, SurvivesDamagedLinks) {
    const std::size_t stride = windows_build ? 4 : 1;
    temp_dir dir;
    const fs::path copy = dir / L"damaged.lnk";
    // A new file each time: rewriting one in place makes ext4 flush it to
    // disk on every close.
    const auto damage = [&](const std::string& bytes) {
        fs::remove(copy);
        write_bytes(copy, bytes);
    };
    for (const char* name : {"notepad.lnk", "environment.lnk", "unicode_link_info.lnk"}) {
        SCOPED_TRACE(name);
        const std::string original = read_bytes(fixture(name));
        ASSERT_FALSE(original.empty());

        for (std::size_t length = 0; length < original.size(); length += stride) {
            damage(original.substr(0, length));
            EXPECT_LE(utf16_length(resolve_shortcut(copy.wstring())), 259u) << "length " << length;
        }
        // Bytes flipped, and bytes made the largest value: sizes, offsets
        // and counts pointing far past the end.
        const unsigned char changes[] = {0x01, 0x80, 0xFF};
        for (std::size_t at = 0; at < original.size(); ++at) {
            for (std::size_t i = 0; i < 3; ++i) {
                if ((at * 3 + i) % stride != 0) continue;
                std::string damaged = original;
                damaged[at] =
                    static_cast<char>(changes[i] == 0xFF ? 0xFF : damaged[at] ^ changes[i]);
                damage(damaged);
                EXPECT_LE(utf16_length(resolve_shortcut(copy.wstring())), 259u) << "byte " << at;
            }
        }
    }
}

}  // namespace
}  // namespace tolvanir
