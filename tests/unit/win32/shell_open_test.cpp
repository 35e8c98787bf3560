#include "platform/shell_open.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <fstream>

#include "support/temp_dir.h"

namespace tolvanir {
namespace {

// A document type of its own whose verbs each leave a file of their name
// beside the document, so the test sees which verb the shell was asked for.
class verb_marking_type {
  public:
    verb_marking_type() {
        ok_ = set(L".tolvanirverbs", L"TolvanirVerbTest") &&
              set(L"TolvanirVerbTest\\shell\\open\\command", L"cmd.exe /c copy nul \"%1.open\"") &&
              set(L"TolvanirVerbTest\\shell\\runas\\command", L"cmd.exe /c copy nul \"%1.runas\"");
    }
    ~verb_marking_type() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"TolvanirVerbTest");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tolvanirverbs");
    }
    [[nodiscard]] bool ok() const { return ok_; }

  private:
    static bool set(const wchar_t* key, const wchar_t* value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const LONG set =
            RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
        return set == ERROR_SUCCESS;
    }
    bool ok_ = false;
};

bool appears(const boost::filesystem::path& file) {
    for (int tries = 0; tries < 200; ++tries) {
        if (boost::filesystem::exists(file)) return true;
        Sleep(50);
    }
    return false;
}

TEST(ShellOpen, ElevatedAsksForTheRunasVerbAndPlainForTheDefault) {
    const verb_marking_type type;
    if (!type.ok()) GTEST_SKIP() << "no rights to register a document type";
    const testing::temp_dir dir;
    const boost::filesystem::path document = dir / L"report.tolvanirverbs";
    std::ofstream(document.c_str()).put('x');

    EXPECT_TRUE(shell_open(document.wstring(), true));
    EXPECT_TRUE(appears(document.wstring() + L".runas"));
    EXPECT_TRUE(shell_open(document.wstring(), false));
    EXPECT_TRUE(appears(document.wstring() + L".open"));
    Sleep(500);  // both commands had time to leave their marks
    boost::filesystem::remove(document.wstring() + L".open");
    EXPECT_TRUE(shell_open(document.wstring(), true));
    EXPECT_TRUE(appears(document.wstring() + L".runas"));
    Sleep(500);
    EXPECT_FALSE(boost::filesystem::exists(document.wstring() + L".open"))
        << "the elevated start asked for the default verb";
}

}  // namespace
}  // namespace tolvanir
