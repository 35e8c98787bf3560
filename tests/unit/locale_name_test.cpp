// The POSIX side of the language seams; built into the native tests only.
#include "platform/posix/locale_name.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "config/language.h"
#include "platform/message_box.h"
#include "platform/ui_language.h"

namespace tolvanir {
namespace {

TEST(UiLanguagePosix, LocaleValuesBecomeWindowsNames) {
    const struct {
        const char* value;
        const wchar_t* expected;
    } rows[] = {
        {"en_US.UTF-8", L"en-US"},
        {"zh_TW.UTF-8@variant", L"zh-TW"},
        {"zh_CN.GB18030", L"zh-CN"},
        {"de_DE@euro", L"de-DE"},
        {"pt_BR", L"pt-BR"},
        {"es_419.UTF-8", L"es-419"},
        {"fil_PH.UTF-8", L"fil-PH"},
        {"EN_us.utf8", L"en-US"},
        {"de", L"de"},
        {"de.UTF-8", L"de"},
        {"sr@latin", L"sr"},
        {"en_", L"en"},  // a country that is not one: the language alone
        {"en_USA.UTF-8", L"en"},
        {"en_U1", L"en"},
        {"C", L"zh-CN"},
        {"C.UTF-8", L"zh-CN"},
        {"POSIX", L"zh-CN"},
        {"", L"zh-CN"},
        {"english", L"zh-CN"},
        {"e1_US", L"zh-CN"},
        {"_US", L"zh-CN"},
        {"/usr/share/i18n/locales/de_DE", L"zh-CN"},
        {"zh\xE4\xB8\xAD_CN", L"zh-CN"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(locale_name_from_posix(row.value), row.expected);
    }
}

// Sets or unsets one environment variable for the life of a test.
class scoped_env {
  public:
    scoped_env(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~scoped_env() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    scoped_env(const scoped_env&) = delete;
    scoped_env& operator=(const scoped_env&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UiLanguagePosix, TheFirstNonEmptyVariableDecides) {
    const struct {
        const char* lc_all;
        const char* lc_messages;
        const char* lang;
        const wchar_t* expected;
    } rows[] = {
        {"fr_FR.UTF-8", "de_DE.UTF-8", "en_US.UTF-8", L"fr-FR"},
        {nullptr, "de_DE.UTF-8", "en_US.UTF-8", L"de-DE"},
        {"", "", "en_US.UTF-8", L"en-US"},
        {nullptr, nullptr, "ja_JP.UTF-8", L"ja-JP"},
        {"C", nullptr, "en_US.UTF-8", L"zh-CN"},  // LC_ALL=C overrides LANG
        {nullptr, nullptr, nullptr, L"zh-CN"},
        {"", "", "", L"zh-CN"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.lc_all ? row.lc_all : "(unset)") + " | " +
                     (row.lc_messages ? row.lc_messages : "(unset)") + " | " +
                     (row.lang ? row.lang : "(unset)"));
        scoped_env lc_all("LC_ALL", row.lc_all);
        scoped_env lc_messages("LC_MESSAGES", row.lc_messages);
        scoped_env lang("LANG", row.lang);
        EXPECT_EQ(ui_language_name(), row.expected);
    }
}

TEST(LanguagePosix, MessageBoxWritesOneLineAndAnswersNo) {
    wptree saved;
    saved.swap(language_table());
    language_table().put(L"name", L"Tolvanir");

    const unsigned flag_sets[] = {
        message_box_ok | message_box_icon_information,
        message_box_yes_no | message_box_icon_warning | message_box_default_button2,
    };
    for (const unsigned flags : flag_sets) {
        SCOPED_TRACE(flags);
        testing::internal::CaptureStderr();
        // 是否继续？
        const int answer = message_box(L"first\nsecond \u662F\u5426\u7EE7\u7EED\uFF1F", flags);
        const std::string written = testing::internal::GetCapturedStderr();
        EXPECT_EQ(answer, message_box_result_no);
        EXPECT_EQ(written,
                  "Tolvanir: first second \xE6\x98\xAF\xE5\x90\xA6\xE7\xBB\xA7\xE7\xBB\xAD"
                  "\xEF\xBC\x9F\n");
    }
    saved.swap(language_table());
}

}  // namespace
}  // namespace tolvanir
