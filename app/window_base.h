// A small window-implementation base: binds one window handle to an object
// and hands every message to its message map.
#pragma once

#include <windows.h>

namespace tolvanir {

class window_base {
  public:
    window_base() = default;
    window_base(const window_base&) = delete;
    window_base& operator=(const window_base&) = delete;
    virtual ~window_base() = default;

    [[nodiscard]] HWND handle() const { return hwnd_; }

    // Registers the class once per process (reusing a registered one) and
    // creates the window; the message map sees WM_CREATE during this call.
    HWND create(const wchar_t* class_name, UINT class_style, const wchar_t* title, DWORD style,
                DWORD ex_style, RECT rect, HINSTANCE instance);

  protected:
    // The message map: true when handled, with the result in `result`.
    virtual bool process_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) = 0;

  private:
    static LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

    HWND hwnd_ = nullptr;
};

}  // namespace tolvanir
