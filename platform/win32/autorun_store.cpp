#include "platform/autorun_store.h"

#include <shlwapi.h>
#include <windows.h>

#include <cwchar>

#include "platform/program_directory.h"

namespace tolvanir {

namespace {

constexpr const wchar_t* run_key_path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* value_name = L"Tolvanir";

class registry_key {
  public:
    registry_key() = default;
    ~registry_key() { reset(); }
    registry_key(const registry_key&) = delete;
    registry_key& operator=(const registry_key&) = delete;

    bool open(REGSAM access) {
        reset();
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, run_key_path, 0, access, &key) != ERROR_SUCCESS) {
            return false;
        }
        key_ = key;
        return true;
    }
    void reset() {
        if (key_ != nullptr) RegCloseKey(key_);
        key_ = nullptr;
    }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

class registry_autorun_store : public autorun_store {
  public:
    bool open_for_reading() override { return read_key_.open(KEY_QUERY_VALUE); }

    std::optional<std::wstring> read_value() override {
        if (read_key_.get() == nullptr) return std::nullopt;
        wchar_t buffer[MAX_PATH] = {};
        DWORD size = sizeof(buffer);
        // The type is not checked; data of another type simply fails to match.
        if (RegQueryValueExW(read_key_.get(), value_name, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        // Stored data need not end in a NUL, nor stop at the first one.
        return std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
    }

    bool open_for_writing() override { return write_key_.open(KEY_ALL_ACCESS); }

    bool write_value(const std::wstring& data) override {
        if (write_key_.get() == nullptr || data.size() >= 0x7FFFFFFF / sizeof(wchar_t)) {
            return false;
        }
        // With its NUL, as REG_SZ readers expect.
        const auto size = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(write_key_.get(), value_name, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()), size) == ERROR_SUCCESS;
    }

    bool delete_value() override {
        return write_key_.get() != nullptr &&
               RegDeleteValueW(write_key_.get(), value_name) == ERROR_SUCCESS;
    }

    void close() override {
        read_key_.reset();
        write_key_.reset();
    }

  private:
    registry_key read_key_;
    registry_key write_key_;
};

}  // namespace

std::unique_ptr<autorun_store> current_user_autorun_store() {
    return std::make_unique<registry_autorun_store>();
}

std::wstring autorun_value_data() {
    // GetModuleFileNameW into MAX_PATH; empty when the path did not fit.
    const boost::filesystem::path exe = executable_path();
    if (exe.empty()) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    if (!PathCanonicalizeW(path, exe.c_str())) return std::wstring();
    // PathQuoteSpacesW leaves a path unquoted when the quotes would not fit
    // (MinGW declares it void, so its result is not asked); unquoted,
    // "C:\Program Files\..." would start C:\Program.exe.
    PathQuoteSpacesW(path);
    if (path[0] != L'"' && std::wcschr(path, L' ') != nullptr) return std::wstring();
    return path;
}

}  // namespace tolvanir
