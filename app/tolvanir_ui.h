// The launcher window: a hidden topmost tool window with an input line and a
// result list, owner of the program index, the scanner threads and the
// query's results.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <boost/thread/thread.hpp>

#include "app/fill_schedule.h"
#include "app/key_order.h"
#include "app/launcher_logic.h"
#include "app/shell_launches.h"
#include "app/win32_controls.h"
#include "app/window_base.h"
#include "config/json_file.h"
#include "index/scanner_directory.h"
#include "index/stored_index.h"
#include "index/tolvanir_list.h"
#include "platform/stop_event.h"

namespace tolvanir {

class TolvanirUI : public window_base {
  public:
    TolvanirUI();
    ~TolvanirUI() override;

    // Creates the hidden launcher window; null when that fails.
    HWND create_launcher(HINSTANCE instance);

  protected:
    bool process_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

  private:
    LRESULT on_create();
    LRESULT on_destroy();
    LRESULT on_key(WPARAM vk, LPARAM tag);
    void take_input_typed_before(const key_order::posted_key& key);
    LRESULT show_launcher(bool from_hook);
    bool take_own_click();
    void hide_launcher();
    void fill_slice();
    void on_end_session();
    void wait_for_background_save();
    void save_index_file();
    void start_index_retry();
    void take_late_settings();
    void show_welcome_balloon();
    LRESULT add_scan_directory(const wchar_t* path);
    void start_scanner(const scanner_directory& directory);
    void scanner_main(const scanner_directory& directory);
    void stop_scanners();
    void create_message_font();
    void center_on_work_area();

    HWND input_line_ = nullptr;
    HFONT message_font_ = nullptr;
    HWND result_list_ = nullptr;
    boost::thread_group scanners_;
    stop_event stop_;
    UINT instance_message_ = 0;
    tolvanir_list index_;
    stored_index index_file_;  // Data/Index.json: loaded, read late if held, kept, saved
    win32_controls controls_;
    launcher_logic logic_;
    NOTIFYICONDATAW notify_data_ = {};
    bool scanners_stopped_ = false;
    shell_launches launches_;
    HHOOK taken_input_hook_ = nullptr;
    HANDLE background_save_done_ = nullptr;  // while a session end saves
    ULONGLONG last_outside_show_ = 0;        // a show another program asked for
    fill_schedule fills_;
};

}  // namespace tolvanir
