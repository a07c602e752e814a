#pragma once
// The thin layer over Win32 that the window definitions share: bounds at
// 96 dpi, anchoring to the parent's edges, the UI font.
#include <windows.h>

#include <string>
#include <vector>

namespace tessivar {

struct Bounds {
    int left, top, width, height;
};

enum Anchor : unsigned {
    kLeft = 1,
    kTop = 2,
    kRight = 4,
    kBottom = 8,
    kTopLeft = kLeft | kTop,
    kAllEdges = kLeft | kTop | kRight | kBottom,
};

// Keeps each control's distances to the parent edges it follows; a control
// that follows two opposite edges stretches. Distances are those of the
// design size the bounds were given for.
class Anchoring {
public:
    explicit Anchoring(SIZE design_client) : design_(design_client) {}
    void add(HWND control, Bounds design_bounds, unsigned anchors);
    // Moves every anchored control for the parent's new client size, in one batch.
    void apply(SIZE client) const;
    // Where a control of these design bounds and anchors stands at `client`.
    Bounds place(Bounds design_bounds, unsigned anchors, SIZE client) const;

private:
    struct Item {
        HWND control;
        Bounds bounds;
        unsigned anchors;
    };
    SIZE design_;
    std::vector<Item> items_;
};

// The face both windows were designed in.
inline constexpr wchar_t kFormFace[] = L"MS Sans Serif";

// `face` at 8 pt (11 pixels at 96 dpi) with the Cyrillic glyphs the interface
// needs, or Tahoma where the system lacks them in that face.
HFONT create_ui_font(const wchar_t* face);

SIZE client_size(HWND window);

// The program's own module, and its icon for every window and the taskbar.
HINSTANCE instance();
HICON main_icon();

// A status bar panel's text.
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
    return self->on_message(message, wparam, lparam);
}

// Whether a check box shows its tick.
bool checked(HWND toggle);

// The size `text` takes in `font`: on one line, or broken at `wrap_width`.
SIZE text_size(HFONT font, const wchar_t* text, int wrap_width = 0);

// text_size for many texts in one font, with one screen DC for them all.
class TextMeasure {
public:
    explicit TextMeasure(HFONT font);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;
    SIZE size(const wchar_t* text, int wrap_width = 0) const;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tessivar
