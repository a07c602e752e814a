#pragma once
// The About window: what the program does and what each version brought.
// Created once and hidden; shown modally over the main window.
#include <windows.h>

#include <vector>

#include "win32/window_kit.h"

namespace tessivar {

class TFAbout {
public:
    explicit TFAbout(HWND owner);
    ~TFAbout();
    TFAbout(const TFAbout&) = delete;
    TFAbout& operator=(const TFAbout&) = delete;

    HWND handle() const { return window_; }

    // Shows the window with `caller` and its owners disabled and returns
    // once the user has closed it.
    void show_modal(HWND caller);

    HWND Memo6{};

private:
    template <class>
    friend LRESULT CALLBACK object_window_procedure(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window);
    void detach();
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);
    void create_memo();
    Bounds lay_out_memo();
    void on_dpi_changed(int dpi, const RECT& suggested);
    void run_modal_loop();
    void close();

    HWND window_{};
    HFONT font_{};
    LayoutScale scale_;
    Anchoring anchors_;
    bool modal_ = false;
    HWND caller_{};
    HWND focus_before_{};  // the caller's, given back on closing
    std::vector<HWND> disabled_;  // what show_modal disabled, to enable again
};

}  // namespace tessivar
