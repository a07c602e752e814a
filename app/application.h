#pragma once
// The application object: an owner window that bears the taskbar button and
// the title "Tessivar", and the message loop that drives every handler.
#include <windows.h>

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

    // Shows the main window by the start-up show state and runs the loop
    // until the quit message; returns its exit code.
    int run(HWND main_window, int show);

private:
    static LRESULT CALLBACK window_proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);
    void show_first(int show);

    HWND window_{};
    HWND main_{};
};

}  // namespace tessivar
