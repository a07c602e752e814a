#pragma once
// The thin layer over Win32 that the window definitions share: bounds at
// 96 dpi and their scaling to the window's density, anchoring to the
// parent's edges, the UI font.
#include <windows.h>

#include <string>
#include <vector>

#include "tabs/design.h"

namespace tessivar {

// The design's pixels are those of 96 dpi. A window lays them out at its
// own density, each axis with its pixels per 96 of the design; a substitute
// font may widen an axis beyond the density, as dialog units would.
struct LayoutScale {
    static constexpr int kDesignDpi = 96;
    int x_dpi = kDesignDpi;
    int y_dpi = kDesignDpi;

    int x(int design) const { return MulDiv(design, x_dpi, kDesignDpi); }
    int y(int design) const { return MulDiv(design, y_dpi, kDesignDpi); }
    // Edges scale, not sizes, so that rounding never opens a gap between
    // neighbours nor adds up along a row.
    Bounds bounds(Bounds design) const {
        const int left = x(design.left), top = y(design.top);
        return {left, top, x(design.left + design.width) - left, y(design.top + design.height) - top};
    }
    SIZE size(SIZE design) const { return {x(design.cx), y(design.cy)}; }
};

// A system function found by name, or null where the system lacks it: a
// newer call used where there, without tying the exe to that system.
template <class Function>
Function* system_function(HMODULE module, const char* name) {
    // Through void(*)(), which converts to any function pointer type.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A DLL of the system loaded by name, from the system folder only; null
// where it is missing. What start-up need not load is loaded at first use.
HMODULE system_library(const wchar_t* name);

// Tells the system that every window lays itself out at its monitor's
// density (per-monitor v2, else v1), so that nothing is stretched into a
// blur; on systems before Windows 10 1607, at the system's density. First
// thing at start-up: it holds only before the first window.
void declare_dpi_awareness();

// The density a window is shown at: its monitor's where the system tells
// (Windows 10 and later), else the system's; the system's for no window.
int window_dpi(HWND window);

// The outer size of a window whose client area is `client` at `dpi`.
SIZE outer_size(SIZE client, DWORD style, DWORD ex_style, int dpi);

// Keeps each control's distances to the parent edges it follows; a control
// that follows two opposite edges stretches. Distances are those the bounds
// were laid out with, for the parent's client size given to reset.
class Anchoring {
public:
    // Forgets every control: the layout starts again, for this client size.
    void reset(SIZE laid_out_client);
    void add(HWND control, Bounds laid_out, unsigned anchors);
    // Moves every anchored control for the parent's new client size, in one batch.
    void apply(SIZE client) const;
    // Where a control laid out at these bounds with these anchors stands at `client`.
    Bounds place(Bounds laid_out, unsigned anchors, SIZE client) const;

private:
    struct Item {
        HWND control;
        Bounds bounds;
        unsigned anchors;
    };
    SIZE laid_out_client_{};
    std::vector<Item> items_;
};

// The face both windows were designed in.
inline constexpr wchar_t kFormFace[] = L"MS Sans Serif";

// `face` at 8 pt for `dpi` (11 pixels at 96 dpi) with the Cyrillic glyphs
// the interface needs; where the system lacks them in that face at that
// size, its scalable successor, then Tahoma.
HFONT create_ui_font(const wchar_t* face, int dpi);

// Whether `font` really is `face` with Cyrillic glyphs, rather than a
// stand-in of the system's choosing, at the very size asked for: a bitmap
// face offers only the sizes made for the system's density.
bool is_exactly(HFONT font, const wchar_t* face);

SIZE client_size(HWND window);

// What a monitor leaves to windows: all of it but the taskbar and the like.
RECT work_area_of(HMONITOR monitor);

// Draws a window again after its drawing was held off (WM_SETREDRAW): its
// frame too, where a scroll bar may have come meanwhile over old pixels.
void redraw_all_of(HWND window);

// The program's own module, and its icon for every window and the taskbar.
HINSTANCE instance();
HICON main_icon();

std::wstring status_panel_text(HWND status_bar, int panel);

// Registers a window class once per process.
void register_window_class(const wchar_t* name, WNDPROC procedure, HBRUSH background = nullptr,
                           HICON icon = nullptr);

// The procedure of a class whose each window is one C++ object, the one
// passed to CreateWindowEx: it gets T::attach(window) first, T::on_message
// for every message, and T::detach() once the window is gone.
template <class T>
LRESULT CALLBACK object_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->attach(window);
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->detach();
        return DefWindowProcW(window, message, wparam, lparam);
    }
    if constexpr (requires { self->receive(message, wparam, lparam); }) {
        return self->receive(message, wparam, lparam);
    } else {
        return self->on_message(message, wparam, lparam);
    }
}

bool high_contrast_on();

// Whether a check box shows its tick.
bool checked(HWND toggle);

// The size `text` takes in `font` on one line.
SIZE text_size(HFONT font, const wchar_t* text);

// text_size for many texts in one font, with one screen DC for them all.
class TextMeasure {
public:
    explicit TextMeasure(HFONT font);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;
    SIZE size(const wchar_t* text) const;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tessivar
