#include "app/window_base.h"

#include <mutex>

namespace tolvanir {

namespace {

std::mutex class_registration;

}  // namespace

HWND window_base::create(const wchar_t* class_name, UINT class_style, const wchar_t* title,
                         DWORD style, DWORD ex_style, RECT rect, HINSTANCE instance) {
    {
        std::lock_guard<std::mutex> lock(class_registration);
        WNDCLASSEXW existing = {};
        existing.cbSize = sizeof existing;
        if (!GetClassInfoExW(instance, class_name, &existing)) {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            wc.style = class_style;
            wc.lpfnWndProc = &window_base::window_procedure;
            wc.hInstance = instance;
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = class_name;
            if (!RegisterClassExW(&wc)) return nullptr;
        }
    }
    return CreateWindowExW(ex_style, class_name, title, style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           instance, this);
}

LRESULT CALLBACK window_base::window_procedure(HWND hwnd, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
    auto* self = reinterpret_cast<window_base*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr && message == WM_NCCREATE) {
        self = static_cast<window_base*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self != nullptr) {
        LRESULT result = 0;
        if (self->process_message(message, wparam, lparam, result)) return result;
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace tolvanir
