#pragma once
// The application object: an owner window that bears the taskbar button and
// the title "Tessivar", and the message loop that drives every handler.
#include <windows.h>

#include "win32/window_kit.h"

namespace tessivar {

// Loads the common controls the windows are built from.
void init_common_controls();

class Application {
public:
    explicit Application(const wchar_t* title);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HWND handle() const { return window_; }

    // First showing by the start-up show state: maximised, minimised with
    // the program, or normal. From then on the main window follows the
    // taskbar button.
    void show_main_window(HWND main_window, int show);

    // Runs the message loop until the quit message; returns its exit code.
    int run();

private:
    template <class>
    friend LRESULT CALLBACK object_window_procedure(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { window_ = window; }
    void detach() { window_ = nullptr; }
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);

    HWND window_{};
    HWND main_{};
};

}  // namespace tessivar
