#include "form/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "form/accessible_name.h"
#include "form/main_window_build.h"
#include "form/menu_bar.h"
#include "win32/messages.h"

namespace tessivar {
namespace {

// The designed font's line at 96 dpi.
constexpr int kDesignLineHeight = 13;
constexpr int kFirstControlId = 100;
// Where the page lies inside the page control: below the tab strip, inside its border.
constexpr RECT kPageInset = {4, 24, 4, 4};
// Commands of the page keys; the controls' ids start above them.
constexpr WORD kNextPage = 1;
constexpr WORD kPreviousPage = 2;

// With the designed font, the density alone. A substitute face, or the
// designed one at a size of its own, widens the layout until the widest
// label fits, and heightens it for a taller line, as dialog units would;
// the labels then fit as they do in the design.
LayoutScale layout_scale(int dpi, HFONT font) {
    LayoutScale scale{dpi, dpi};
    // create_ui_font keeps the designed face only where it has it exactly.
    LOGFONTW chosen{};
    GetObjectW(font, sizeof chosen, &chosen);
    if (lstrcmpiW(chosen.lfFaceName, kFormFace) == 0) return scale;
    const TextMeasure measure(font);
    for (const ControlRow& row : main_window_rows()) {
        if (row.kind != Kind::Label || !*row.text) continue;
        const int needed = MulDiv(measure.size(row.text).cx, LayoutScale::kDesignDpi, row.bounds.width);
        scale.x_dpi = std::max(scale.x_dpi, needed);
    }
    const int line = measure.size(L"Й").cy;
    scale.y_dpi = std::max(scale.y_dpi, MulDiv(line, LayoutScale::kDesignDpi, kDesignLineHeight));
    return scale;
}

// A label is as large as its text needs, as a designer's auto-sized label,
// growing away from the edge its text is aligned to. Every label of the
// design holds one line: one that may wrap widens rather than break, for a
// second line would run into the row below. Where the font matches the
// design, nothing changes.
Bounds fit_label(const ControlRow& row, Bounds b, const TextMeasure& measure) {
    const SIZE text = measure.size(row.text);
    b.height = std::max(b.height, static_cast<int>(text.cy));
    if (text.cx <= b.width) return b;
    // Never past the page's left edge, where the text would be cut.
    if (row.style & SS_RIGHT) b.left = std::max(0, b.left - static_cast<int>(text.cx - b.width));
    b.width = static_cast<int>(text.cx);
    return b;
}

int shown_height(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return static_cast<int>(r.bottom - r.top);
}

// A combo box sizes its edit part from its font; it is made as high as
// the layout says, as the edit boxes beside it are. How the edit part's
// height adds up to the control's is the control's own affair, and may
// differ once set: a second step corrects the first by what it missed.
void fit_combo_height(HWND combo, int height) {
    if (shown_height(combo) == height) return;
    auto field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) + height - shown_height(combo);
    for (int step = 0; step < 2; ++step) {
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        const int missed = height - shown_height(combo);
        if (missed == 0) return;
        field += missed;
    }
}

// A multi-line box keeps Enter for its line breaks but lets Tab move on to
// the next control, as in any form.
LRESULT CALLBACK pass_tab_on(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                             DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        const auto* key = reinterpret_cast<const MSG*>(lparam);
        const LRESULT code = DefSubclassProc(control, message, wparam, lparam);
        const bool tab = key && key->message == WM_KEYDOWN && key->wParam == VK_TAB;
        return tab ? code & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB) : code;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, pass_tab_on, 0);
    return DefSubclassProc(control, message, wparam, lparam);
}

void fill_control(HWND control, const ControlRow& row) {
    show_starting_value(control, row);
    switch (row.kind) {
        case Kind::Memo:
            SetWindowSubclass(control, pass_tab_on, 0, 0);
            [[fallthrough]];
        case Kind::Edit:
            SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // users paste megabytes
            break;
        case Kind::Combo:
            SendMessageW(control, CB_LIMITTEXT, 0, 0);
            [[fallthrough]];
        case Kind::DropList:
            SendMessageW(control, CB_SETMINVISIBLE, static_cast<WPARAM>(row.visible_rows), 0);
            break;
        case Kind::DateToggle:
            name_when_asked(control, row.hint);  // it has no caption
            break;
        default:
            break;
    }
}

void add_tooltip(HWND tooltip, HWND control, const wchar_t* hint) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(hint);
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The page control keeps out of the area its pages cover, so that it never
// paints over the active page (the pages are its siblings, below it).
void clip_page_control(HWND page_control, const LayoutScale& scale) {
    const SIZE size = client_size(page_control);
    HRGN outer = CreateRectRgn(0, 0, size.cx, size.cy);
    HRGN inner = CreateRectRgn(scale.x(kPageInset.left), scale.y(kPageInset.top),
                               size.cx - scale.x(kPageInset.right), size.cy - scale.y(kPageInset.bottom));
    CombineRgn(outer, outer, inner, RGN_DIFF);
    DeleteObject(inner);
    SetWindowRgn(page_control, outer, TRUE);
}

// Passes every mouse move over a control to its row's handler: the form
// comes with the subclass, the row by the control's id.
LRESULT CALLBACK report_mouse_moves(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR, DWORD_PTR form) {
    if (message == WM_MOUSEMOVE) {
        const auto index = static_cast<std::size_t>(GetDlgCtrlID(control) - kFirstControlId);
        (reinterpret_cast<TFMain*>(form)->*main_window_rows()[index].on_mouse_move)();
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, report_mouse_moves, 0);
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

TFMain::TFMain(HWND owner, std::span<const MenuTitle> menu)
    : Window({kMainWindowClass, kMainWindowTitle, kMainWindowStyle, kMainWindowExStyle, kDesignClient}), menu_(menu) {
    register_window_class(kPageClass, page_proc, GetSysColorBrush(COLOR_BTNFACE));
    create(owner, kMainWindowPlace, window_dpi(nullptr));
    take_dialog_keys(window_, page_keys());
    build();
    FormCreate();
}

// Its controls tell it of their end while its members are whole.
TFMain::~TFMain() { destroy(); }

void TFMain::build() {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               window_, nullptr, instance(), nullptr);
    const auto rows = main_window_rows();
    controls_.resize(rows.size());
    start_layout();
    const TextMeasure measure(font_);  // one screen DC for every label
    for (int index : creation_order(rows)) {
        const ControlRow& row = rows[static_cast<std::size_t>(index)];
        create_control(row, place(row, measure), kFirstControlId + index);
    }
    show_status_panels(StatusBar1, scale_);
    clip_page_control(PageControl1, scale_);
    select_page(0);
}

// The controls are about to stand where the layout puts them for its own client size.
void TFMain::start_layout() {
    laid_out_for_ = scale_.size(kDesignClient);
    anchors_.reset(laid_out_for_);
}

Bounds TFMain::place(const ControlRow& row, const TextMeasure& measure) const {
    const Bounds b = scale_.bounds(row.bounds);
    return row.kind == Kind::Label ? fit_label(row, b, measure) : b;
}

// A page's own controls are laid out for the page's size as placed.
void TFMain::anchor(const ControlRow& row, HWND control, Bounds b) {
    if (row.kind == Kind::TabSheet) page_anchors_[page_index(control)].reset({b.width, b.height});
    anchoring_of(row.parent).add(control, b, row.anchors);
}

std::size_t TFMain::page_index(HWND page) const {
    const auto all = pages();
    return static_cast<std::size_t>(std::find(all.begin(), all.end(), page) - all.begin());
}

void TFMain::create_control(const ControlRow& row, Bounds b, int id) {
    const auto [window_class, style, ex_style] = class_and_style(row);
    HWND control =
        row.kind == Kind::MenuBar
            ? create_menu_bar(*this, menu_, parent_of(row), b, id, dpi_)
            : CreateWindowExW(ex_style, window_class, row.text, WS_CHILD | style, b.left, b.top,
                              b.width, b.height + drop_down_room(row, scale_), parent_of(row),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(),
                              nullptr);
    controls_[static_cast<std::size_t>(id - kFirstControlId)] = control;
    if (row.member) this->*row.member = control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (is_combo(row)) fit_combo_height(control, b.height);
    fill_control(control, row);
    if (row.hint) add_tooltip(tooltip_, control, row.hint);
    if (row.on_mouse_move) {
        SetWindowSubclass(control, report_mouse_moves, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    if (row.kind == Kind::TabSheet) {
        add_page_tab(PageControl1, row.text);
        SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    } else {
        ShowWindow(control, SW_SHOWNA);
    }
    anchor(row, control, b);
}

LayoutScale TFMain::scale_at(int dpi) const { return layout_scale(dpi, font_); }

// A window dragged to a monitor of another density: the same layout at the
// new one, in new fonts. What the user typed stays as it is.
void TFMain::lay_out() {
    start_layout();
    const auto rows = main_window_rows();
    const TextMeasure measure(font_);
    for (int index : creation_order(rows)) {
        const ControlRow& row = rows[static_cast<std::size_t>(index)];
        HWND control = controls_[static_cast<std::size_t>(index)];
        const Bounds b = place(row, measure);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetWindowPos(control, nullptr, b.left, b.top, b.width, b.height + drop_down_room(row, scale_),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (is_combo(row)) fit_combo_height(control, b.height);
        anchor(row, control, b);
    }
    set_menu_bar_dpi(ActionMainMenuBar1, dpi_);
    show_status_panels(StatusBar1, scale_);
    show_status_note(std::move(status_note_));
    clip_page_control(PageControl1, scale_);
}

void TFMain::density_taken() {
    // The system scales the window by the densities alone; a font of other
    // metrics may need more room.
    const SIZE client = client_size(window_), needed = scale_.size(kDesignClient);
    if (client.cx < needed.cx || client.cy < needed.cy) {
        RECT outer;
        GetWindowRect(window_, &outer);
        SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + std::max(0L, needed.cx - client.cx),
                     outer.bottom - outer.top + std::max(0L, needed.cy - client.cy),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    on_resize();
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The screen row below which a window over this one leaves its menu in view.
LONG TFMain::menu_bottom() const {
    RECT bar{};
    GetWindowRect(ActionMainMenuBar1, &bar);
    return bar.bottom;
}

HWND TFMain::control(std::string_view name) const {
    const ControlRow* row = main_window_row(name);
    return row ? control(*row) : nullptr;
}

HWND TFMain::control(const ControlRow& row) const {
    return controls_.at(static_cast<std::size_t>(&row - main_window_rows().data()));
}

HWND TFMain::parent_of(const ControlRow& row) const {
    if (row.parent == Parent::Window) return window_;
    return pages()[static_cast<std::size_t>(row.parent) - 1];
}

Anchoring& TFMain::anchoring_of(Parent parent) {
    if (parent == Parent::Window) return anchors_;
    return page_anchors_[static_cast<std::size_t>(parent) - 1];
}

void TFMain::select_page(int index) {
    TabCtrl_SetCurSel(PageControl1, index);
    const auto all = pages();
    for (std::size_t i = 0; i < all.size(); ++i) {
        ShowWindow(all[i], i == static_cast<std::size_t>(index) ? SW_SHOWNA : SW_HIDE);
    }
    tell_owned_windows(window_, kTabShown, static_cast<WPARAM>(index));
}

Tab TFMain::shown_tab() const { return static_cast<Tab>(TabCtrl_GetCurSel(PageControl1)); }

void TFMain::on_resize() {
    const SIZE client = client_size(window_);
    // Showing the window reports the size the controls already stand for.
    if (client.cx == laid_out_for_.cx && client.cy == laid_out_for_.cy) return;
    laid_out_for_ = client;
    anchors_.apply(client);
    clip_page_control(PageControl1, scale_);
}

HACCEL TFMain::page_keys() {
    static ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, VK_TAB, kNextPage},
        {FVIRTKEY | FCONTROL, VK_NEXT, kNextPage},
        {FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, kPreviousPage},
        {FVIRTKEY | FCONTROL, VK_PRIOR, kPreviousPage},
    };
    static const HACCEL table = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
    return table;
}

// Wraps round, and the focus goes to the new page's first control.
void TFMain::step_page(int step) {
    const int count = static_cast<int>(pages().size());
    select_page((TabCtrl_GetCurSel(PageControl1) + step + count) % count);
    SetFocus(GetNextDlgTabItem(window_, PageControl1, FALSE));
}

void TFMain::on_command(int id, int code) {
    constexpr int kFromAccelerator = 1;
    const bool page_key = code == kFromAccelerator && (id == kNextPage || id == kPreviousPage);
    if (page_key) return step_page(id == kNextPage ? 1 : -1);
    const auto rows = main_window_rows();
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(rows.size())) return;
    const ControlRow& row = rows[static_cast<std::size_t>(index)];
    HWND control = controls_[static_cast<std::size_t>(index)];
    switch (code) {
        case BN_CLICKED:
            if (row.on_click) (this->*row.on_click)();
            keeping_.on_click(control);
            break;
        case EN_SETFOCUS:
            quick_fill_.on_focus(control, row);
            break;
        case EN_CHANGE:
            if (control == Disc1 || control == Disc2) return Disc1Change();
            quick_fill_.on_change(control);
            keeping_.on_change(control);
            break;
        case CBN_EDITCHANGE:
        case CBN_SELCHANGE:
            keeping_.on_change(control);
            break;
        default:
            break;
    }
}

LRESULT TFMain::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            on_command(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->hwndFrom == PageControl1 && header->code == TCN_SELCHANGE) {
                select_page(TabCtrl_GetCurSel(PageControl1));
                keeping_.on_change(PageControl1);
            }
            if (header->code == DTN_DATETIMECHANGE) keeping_.on_change(header->hwndFrom);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            // The heading above the short description lies in the menu bar's
            // band, and takes its colours.
            if (reinterpret_cast<HWND>(lparam) == Label12) {
                return reinterpret_cast<LRESULT>(colour_as_menu_band(reinterpret_cast<HDC>(wparam)));
            }
            break;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:  // a high-contrast theme switched on or off
            RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        case WM_SIZE:
            if (PageControl1) on_resize();
            [[fallthrough]];
        case WM_MOVE:  // however it moved: a drag, the keyboard, a snap to another screen
            if (IsWindowVisible(window_)) keeping_.on_change(window_);
            return 0;
        case kOwnedWindowMade: {
            const OwnedWindowPlace kept = keeping_.place(reinterpret_cast<HWND>(lparam));
            if (kept == kPlaceNotKept) beside_.place(reinterpret_cast<HWND>(lparam), window_, menu_bottom());
            return kept;
        }
        case kOwnedWindowShown:
            beside_.again_if_unmoved(reinterpret_cast<HWND>(lparam), window_, menu_bottom());
            return 0;
        case kOwnedWindowMoved:
            keeping_.on_change(reinterpret_cast<HWND>(lparam));
            return 0;
        case WM_TIMER:
            if (wparam == kKeepTimer) keeping_.save_changed();
            return 0;
        case kKeptBehind:
            keeping_.complete_behind();
            return 0;
        case WM_QUERYENDSESSION:
            keeping_.save();
            return TRUE;
        case WM_ENDSESSION:
            if (wparam) keeping_.save();
            return 0;
        case WM_SYSCOMMAND:
            // The application window bears the taskbar button: minimising
            // this window minimises it, and restoring it brings this one back.
            if ((wparam & 0xFFF0) == SC_MINIMIZE && GetWindow(window_, GW_OWNER)) {
                ShowWindow(GetWindow(window_, GW_OWNER), SW_MINIMIZE);
                return 0;
            }
            // Alt or F10 alone: the menu bar, a control of ours, not a window menu.
            if ((wparam & 0xFFF0) == SC_KEYMENU && lparam == 0 && ActionMainMenuBar1) {
                toggle_menu_bar_keyboard(ActionMainMenuBar1);
                return 0;
            }
            break;
        default:
            break;
    }
    return Window::on_message(message, wparam, lparam);
}

// Nothing to ask: the form is kept as it is.
void TFMain::close() {
    keeping_.save();
    PostQuitMessage(0);
}

LRESULT TFMain::on_page_message(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
            return SendMessageW(window_, message, wparam, lparam);
        case WM_SIZE:
            page_anchors_[page_index(page)].apply(client_size(page));
            return 0;
        default:
            return DefWindowProcW(page, message, wparam, lparam);
    }
}

LRESULT CALLBACK TFMain::page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<TFMain*>(GetWindowLongPtrW(page, GWLP_USERDATA));
    if (!self) return DefWindowProcW(page, message, wparam, lparam);
    return self->on_page_message(page, message, wparam, lparam);
}

}  // namespace tessivar
