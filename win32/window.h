#pragma once
// What every window of the program shares: its handle and class, its font
// at its density, its controls made from rows and kept to their edges, the
// density change, hiding on close, the dialog keys and the modal loop. A
// window states its frame, its rows and its own messages.
#include <windows.h>

#include <span>
#include <vector>

#include "win32/messages.h"
#include "win32/window_kit.h"

namespace tessivar {

// The dialog keys (Tab, Shift+Tab, Enter, Esc, arrows among buttons) for
// the program's own top-level windows: each window that wants them takes
// them when it is made, and the message loops pass every message through
// dispatch_message: the keys of the window it is for, where that window
// took them, after `keys` (an accelerator table, or none) translated for
// it; the rest translated and dispatched.
void take_dialog_keys(HWND window, HACCEL keys = nullptr);
void dispatch_message(const MSG& msg);

// One control of a window as designed, in the order of creation: each
// label right before the control it names, the focusable ones in tab order.
template <class Owner>
struct WindowRow {
    HWND Owner::*member;
    const wchar_t* window_class;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
    DWORD ex_style;
    Bounds bounds;  // at 96 dpi
    const wchar_t* text = L"";
    unsigned anchors = kTopLeft;
    bool fixed_pitch = false;  // text whose columns line up, in the window's second font
};

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND handle() const { return window_; }

protected:
    struct Frame {
        const wchar_t* class_name;
        const wchar_t* title;
        DWORD style;
        DWORD ex_style;
        SIZE design_client;  // the client size the rows are laid out for, at 96 dpi
        bool fixed_pitch = false;  // a second font, fixed-pitch, for rows that ask for it
        bool dialog_keys = true;   // Tab, Enter and Esc as in a dialog
        SIZE least_client{};       // at 96 dpi, below which the rows would overlap; none where empty
    };
    explicit Window(const Frame& frame) : frame_(frame) {}
    virtual ~Window();

    // Registers the class once, takes the fonts of `dpi` and makes the
    // window, its client the designed one at that density, at `place` (or
    // CW_USEDEFAULT, at 96 dpi). Whether it was made.
    bool create(HWND owner, POINT place, int dpi);

    // Destroys the window while the object is whole: a window whose messages
    // reach its members as it goes calls this first in its destructor.
    void destroy();

    // The layout's scale for a density, the fonts taken: the density's own
    // unless the window widens it for a substitute font.
    virtual LayoutScale scale_at(int dpi) const { return {dpi, dpi}; }
    // The window's own messages; what it leaves, it passes on here.
    virtual LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);
    // The controls at the density in its font, anchored afresh.
    virtual void lay_out() {}
    // The density changed and the window took the system's rectangle.
    virtual void density_taken() {}
    // The close box and Esc: hidden, never destroyed, so that it opens
    // again as it was left.
    virtual void close() { ShowWindow(window_, SW_HIDE); }

    template <class Owner>
    void make_controls(Owner& owner, std::span<const WindowRow<Owner>> rows);
    template <class Owner>
    void lay_out_controls(Owner& owner, std::span<const WindowRow<Owner>> rows);

    // Every message of the thread while `running`; false where the program
    // is ending, whose quit message its own loop then sees too.
    static bool run_modal_loop(const bool& running);

    HWND window_{};
    int dpi_ = LayoutScale::kDesignDpi;
    LayoutScale scale_;
    HFONT font_{};
    HFONT fixed_font_{};
    Anchoring anchors_;

private:
    template <class>
    friend LRESULT CALLBACK object_window_procedure(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window);
    void detach();
    LRESULT receive(UINT message, WPARAM wparam, LPARAM lparam);
    void take_fonts(int dpi);
    void change_density(int dpi, const RECT& suggested);
    void place_control(HWND control, bool fixed_pitch, Bounds designed);
    HWND make_control(const wchar_t* window_class, const wchar_t* text, DWORD style, DWORD ex_style, Bounds designed,
                      int id);

    bool give_focus_back(WPARAM activation);

    Frame frame_;
    SIZE sized_{};  // the client size the last resize gave
    HWND focus_left_{};  // the control that had the focus as the window was last deactivated
};

// A window opened beside the main one: made the first time it is asked
// for, brought to the front each time.
class OpenedWindow : public Window {
public:
    virtual void show() = 0;

protected:
    using Window::Window;
    // Asks the owner for the window's first place, once made.
    OwnedWindowPlace take_place() const;
    // Tells the owner it is about to be shown again.
    void tell_owner_showing() const;
};

// A window shown over its caller, which waits for it: the caller and its
// owners are disabled until it is closed, hidden, to be shown again.
class ModalWindow : public Window {
public:
    // Returns once the user has closed it.
    void show_modal(HWND caller);

protected:
    using Window::Window;
    void close() override;

private:
    bool modal_ = false;
    HWND caller_{};
    HWND focus_before_{};  // the caller's, given back on closing
    std::vector<HWND> disabled_;  // what show_modal disabled, to enable again
};

// Tells each window `owner` owns what `message` says.
void tell_owned_windows(HWND owner, UINT message, WPARAM wparam);

template <class Owner>
void Window::make_controls(Owner& owner, std::span<const WindowRow<Owner>> rows) {
    constexpr int kFirstId = 100;  // clear of IDOK and IDCANCEL
    int id = kFirstId;
    for (const WindowRow<Owner>& row : rows) {
        owner.*row.member = make_control(row.window_class, row.text, row.style, row.ex_style, row.bounds, id++);
    }
    lay_out_controls(owner, rows);
}

template <class Owner>
void Window::lay_out_controls(Owner& owner, std::span<const WindowRow<Owner>> rows) {
    anchors_.reset(scale_.size(frame_.design_client));
    for (const WindowRow<Owner>& row : rows) {
        HWND control = owner.*row.member;
        place_control(control, row.fixed_pitch, row.bounds);
        anchors_.add(control, scale_.bounds(row.bounds), row.anchors);
    }
    anchors_.apply(client_size(window_));
}

}  // namespace tessivar
