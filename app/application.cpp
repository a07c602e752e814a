#include "app/application.h"

#include <commctrl.h>

#include "win32/window.h"

namespace tessivar {
namespace {

constexpr wchar_t kClass[] = L"TApplication";

}  // namespace

void init_common_controls() {
    const INITCOMMONCONTROLSEX controls = {
        sizeof(INITCOMMONCONTROLSEX),
        ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_DATE_CLASSES,
    };
    InitCommonControlsEx(&controls);
}

Application::Application(const wchar_t* title) {
    register_window_class(kClass, object_window_procedure<Application>, nullptr,
                          main_icon());
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    // No size: only its taskbar button is ever seen.
    CreateWindowExW(0, kClass, title, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                    0, 0, nullptr, nullptr, instance(), this);
}

Application::~Application() {
    if (window_) DestroyWindow(window_);
}

int Application::run() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch_message(msg);
    return static_cast<int>(msg.wParam);
}

void Application::show_main_window(HWND main_window, int show) {
    main_ = main_window;
    if (show == SW_SHOWMINNOACTIVE) {
        ShowWindow(window_, SW_SHOWMINNOACTIVE);
        return;  // the main window appears when the user restores the program
    }
    ShowWindow(window_, SW_SHOWNA);
    ShowWindow(main_, show == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
}

LRESULT Application::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            // The main window hides and comes back with the taskbar button.
            if (main_ && wparam == SIZE_MINIMIZED) ShowWindow(main_, SW_HIDE);
            if (main_ && wparam == SIZE_RESTORED) ShowWindow(main_, SW_SHOW);
            return 0;
        case WM_ACTIVATE:
            if (main_ && LOWORD(wparam) != WA_INACTIVE && IsWindowVisible(main_)) {
                SetActiveWindow(main_);
            }
            return 0;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wparam, lparam);
    }
}

}  // namespace tessivar
