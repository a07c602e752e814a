#include "win32/window.h"

#include <algorithm>
#include <utility>

namespace tessivar {
namespace {

// A handful at most, all on the window thread, each with its accelerators or none.
std::vector<std::pair<HWND, HACCEL>> keyed_windows;

// A combo box's drop-down list is a top-level window of its own, which
// took no keys: its messages go on as they are.
bool is_window_key(const MSG& msg, HWND root) {
    const auto keyed = std::ranges::find(keyed_windows, root, &std::pair<HWND, HACCEL>::first);
    if (!root || keyed == keyed_windows.end()) return false;
    auto* key = const_cast<MSG*>(&msg);
    return (keyed->second && TranslateAcceleratorW(root, keyed->second, key)) || IsDialogMessageW(root, key);
}

void let_go_dialog_keys(HWND window) {
    std::erase_if(keyed_windows, [&](auto& w) { return w.first == window; });
}

}  // namespace

void take_dialog_keys(HWND window, HACCEL keys) {
    let_go_dialog_keys(window);
    keyed_windows.emplace_back(window, keys);
}

void dispatch_message(const MSG& msg) {
    if (is_window_key(msg, GetAncestor(msg.hwnd, GA_ROOT))) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

Window::~Window() {
    destroy();
    if (font_) DeleteObject(font_);
    if (fixed_font_) DeleteObject(fixed_font_);
}

void Window::destroy() {
    if (window_) DestroyWindow(window_);
}

bool Window::create(HWND owner, POINT place, int dpi) {
    register_window_class(frame_.class_name, object_window_procedure<Window>, GetSysColorBrush(COLOR_BTNFACE),
                          main_icon());
    take_fonts(dpi);
    const SIZE outer = outer_size(scale_.size(frame_.design_client), frame_.style, frame_.ex_style, dpi);
    // Placed at the density alone, whatever the font widens.
    const auto at = [dpi](int design) {
        return design == CW_USEDEFAULT ? CW_USEDEFAULT : MulDiv(design, dpi, LayoutScale::kDesignDpi);
    };
    CreateWindowExW(frame_.ex_style, frame_.class_name, frame_.title, frame_.style, at(place.x), at(place.y), outer.cx,
                    outer.cy, owner, nullptr, instance(), this);
    // Wine tells a window made hidden its size only as it is first shown:
    // that is no resize, and needs no second drawing.
    if (window_) sized_ = client_size(window_);
    return window_ != nullptr;
}

void Window::take_fonts(int dpi) {
    dpi_ = dpi;
    font_ = create_ui_font(kFormFace, dpi);
    if (frame_.fixed_pitch) {
        fixed_font_ = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                                  L"Courier New");
    }
    scale_ = scale_at(dpi);
}

// Dragged to a monitor of another density: new fonts, the controls laid out
// at it, the rectangle the system suggests. The old fonts go once no
// control holds them.
void Window::change_density(int dpi, const RECT& suggested) {
    HFONT previous = font_, previous_fixed = fixed_font_;
    take_fonts(dpi);
    lay_out();
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    density_taken();
    DeleteObject(previous);
    if (previous_fixed) DeleteObject(previous_fixed);
}

// Made at its place at once: a memo moved later wraps its text again.
HWND Window::make_control(const wchar_t* window_class, const wchar_t* text, DWORD style, DWORD ex_style,
                          Bounds designed, int id) {
    const Bounds b = scale_.bounds(designed);
    return CreateWindowExW(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, b.left, b.top, b.width,
                           b.height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
}

void Window::place_control(HWND control, bool fixed_pitch, Bounds designed) {
    const Bounds b = scale_.bounds(designed);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_pitch ? fixed_font_ : font_), TRUE);
    SetWindowPos(control, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Window::run_modal_loop(const bool& running) {
    MSG msg{};
    while (running) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        dispatch_message(msg);
    }
    return true;
}

void ModalWindow::show_modal(HWND caller) {
    if (modal_) return;
    focus_before_ = GetFocus();  // lost as the caller is disabled
    for (HWND window = caller; window; window = GetWindow(window, GW_OWNER)) {
        if (!IsWindowEnabled(window)) continue;
        EnableWindow(window, FALSE);
        disabled_.push_back(window);
    }
    caller_ = caller;
    modal_ = true;
    ShowWindow(window_, SW_SHOW);
    if (!run_modal_loop(modal_)) close();
}

void ModalWindow::close() {
    for (HWND window : disabled_) EnableWindow(window, TRUE);
    disabled_.clear();
    // The activation goes back to the caller before this window hides: left
    // to the system it would pass to the owner, the application window.
    if (modal_ && caller_) SetActiveWindow(caller_);
    ShowWindow(window_, SW_HIDE);
    if (modal_ && IsWindow(focus_before_)) SetFocus(focus_before_);
    modal_ = false;
    caller_ = nullptr;
    focus_before_ = nullptr;
}

OwnedWindowPlace OpenedWindow::take_place() const {
    return static_cast<OwnedWindowPlace>(
        SendMessageW(GetWindow(window_, GW_OWNER), kOwnedWindowMade, 0, reinterpret_cast<LPARAM>(window_)));
}

void OpenedWindow::tell_owner_showing() const {
    SendMessageW(GetWindow(window_, GW_OWNER), kOwnedWindowShown, 0, reinterpret_cast<LPARAM>(window_));
}

void tell_owned_windows(HWND owner, UINT message, WPARAM wparam) {
    struct Told {
        HWND owner;
        UINT message;
        WPARAM wparam;
    } told{owner, message, wparam};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) {
            const auto& what = *reinterpret_cast<const Told*>(data);
            if (GetWindow(window, GW_OWNER) == what.owner) SendMessageW(window, what.message, what.wparam, 0);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&told));
}

LRESULT Window::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            anchors_.apply(client_size(window_));
            return 0;
        case WM_GETMINMAXINFO:
            if (frame_.least_client.cx) {
                const SIZE least =
                    outer_size(scale_.size(frame_.least_client), frame_.style, frame_.ex_style, dpi_);
                reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {least.cx, least.cy};
            }
            return 0;
        case WM_DPICHANGED:
            change_density(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return 0;
        case WM_CLOSE:
            close();
            return 0;
        case WM_ACTIVATE:
            if (give_focus_back(wparam)) return 0;
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

// Moved and stretched controls keep what the old size drew (copied bits, a
// background only they erase, a status bar's old grip): after a resize on
// screen the whole window is drawn again, as a fresh paint would draw it. A
// window not yet shown, or shown at the size it had, has nothing stale.
LRESULT Window::receive(UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = on_message(message, wparam, lparam);
    if (message == WM_SIZE && wparam != SIZE_MINIMIZED) {
        const SIZE now{LOWORD(lparam), HIWORD(lparam)};
        if (IsWindowVisible(window_) && (now.cx != sized_.cx || now.cy != sized_.cy)) {
            RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        sized_ = now;
    }
    return result;
}

// A window the user comes back to has the focus where they left it, as a
// dialog has; the system would put it on the window itself, and typing
// would go nowhere.
bool Window::give_focus_back(WPARAM activation) {
    if (LOWORD(activation) == WA_INACTIVE) {
        if (HWND focus = GetFocus(); focus && IsChild(window_, focus)) focus_left_ = focus;
        return false;
    }
    const bool minimized = HIWORD(activation) != 0;
    if (minimized || !IsWindow(focus_left_) || !IsChild(window_, focus_left_) || !IsWindowVisible(focus_left_) ||
        !IsWindowEnabled(focus_left_)) {
        return false;
    }
    SetFocus(focus_left_);
    return true;
}

void Window::attach(HWND window) {
    window_ = window;
    if (frame_.dialog_keys) take_dialog_keys(window);
}

void Window::detach() {
    let_go_dialog_keys(window_);
    window_ = nullptr;
}

}  // namespace tessivar
