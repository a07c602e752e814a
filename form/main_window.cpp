#include "form/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "form/main_window_build.h"
#include "form/menu_bar.h"

namespace tessivar {
namespace {

constexpr SIZE kPageDesignClient = {281, 513};
constexpr int kFirstControlId = 100;
// Where the page lies inside the page control: below the tab strip, inside its border.
constexpr RECT kPageInset = {4, 24, 4, 4};
// Commands of the page keys; the controls' ids start above them.
constexpr WORD kNextPage = 1;
constexpr WORD kPreviousPage = 2;

// A label is as large as its text needs, as a designer's auto-sized label:
// one that wraps grows downwards, one that does not grows away from the edge
// its text is aligned to. Where the font matches the design, nothing changes.
Bounds fit_label(const ControlRow& row, const TextMeasure& measure) {
    Bounds b = row.bounds;
    // Wrapped at its width, a label still widens for a word longer than that.
    const SIZE text = measure.size(row.text, row.wraps ? b.width : 0);
    b.height = std::max(b.height, static_cast<int>(text.cy));
    if (text.cx <= b.width) return b;
    // Never past the page's left edge, where the text would be cut.
    if (row.style & SS_RIGHT) b.left = std::max(0, b.left - static_cast<int>(text.cx - b.width));
    b.width = static_cast<int>(text.cx);
    return b;
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
            SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
            break;
        case Kind::DatePicker:
            DateTime_SetSystemtime(control, GDT_VALID, &kStartDate);
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

void add_page_tab(HWND page_control, const wchar_t* caption) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption);
    const int count = TabCtrl_GetItemCount(page_control);
    TabCtrl_InsertItem(page_control, count, &item);
}

// The page control keeps out of the area its pages cover, so that it never
// paints over the active page (the pages are its siblings, below it).
void clip_page_control(HWND page_control) {
    const SIZE size = client_size(page_control);
    HRGN outer = CreateRectRgn(0, 0, size.cx, size.cy);
    HRGN inner = CreateRectRgn(kPageInset.left, kPageInset.top, size.cx - kPageInset.right,
                               size.cy - kPageInset.bottom);
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
    : menu_(menu),
      window_anchors_(kDesignClient),
      laid_out_for_(kDesignClient),
      page_anchors_{Anchoring(kPageDesignClient), Anchoring(kPageDesignClient),
                    Anchoring(kPageDesignClient), Anchoring(kPageDesignClient)} {
    register_window_class(kMainWindowClass, object_window_procedure<TFMain>, GetSysColorBrush(COLOR_BTNFACE),
                          main_icon());
    register_window_class(kPageClass, page_proc, GetSysColorBrush(COLOR_BTNFACE));
    RECT outer = {0, 0, kDesignClient.cx, kDesignClient.cy};
    AdjustWindowRectEx(&outer, kMainWindowStyle, FALSE, kMainWindowExStyle);
    CreateWindowExW(kMainWindowExStyle, kMainWindowClass, kMainWindowTitle, kMainWindowStyle,
                    kMainWindowPlace.x, kMainWindowPlace.y,
                    outer.right - outer.left, outer.bottom - outer.top, owner, nullptr, instance(),
                    this);
    font_ = create_ui_font(kFormFace);
    build();
    FormCreate();
}

TFMain::~TFMain() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

void TFMain::build() {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               window_, nullptr, instance(), nullptr);
    const auto rows = main_window_rows();
    const TextMeasure measure(font_);  // one screen DC for every label
    for (int index : creation_order(rows)) {
        const ControlRow& row = rows[static_cast<std::size_t>(index)];
        const Bounds b = row.kind == Kind::Label ? fit_label(row, measure) : row.bounds;
        create_control(row, b, kFirstControlId + index);
    }
    show_status_panels();
    clip_page_control(PageControl1);
    select_page(0);
}

void TFMain::create_control(const ControlRow& row, Bounds b, int id) {
    const auto [window_class, style, ex_style] = class_and_style(row);
    HWND control =
        row.kind == Kind::MenuBar
            ? create_menu_bar(*this, menu_, parent_of(row), b, id)
            : CreateWindowExW(ex_style, window_class, row.text, WS_CHILD | style, b.left, b.top,
                              b.width, b.height + drop_down_room(row), parent_of(row),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(),
                              nullptr);
    this->*row.member = control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
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
    anchoring_of(row.parent).add(control, b, row.anchors);
}

HWND TFMain::parent_of(const ControlRow& row) const {
    if (row.parent == Parent::Window) return window_;
    return pages()[static_cast<std::size_t>(row.parent) - 1];
}

Anchoring& TFMain::anchoring_of(Parent parent) {
    if (parent == Parent::Window) return window_anchors_;
    return page_anchors_[static_cast<std::size_t>(parent) - 1];
}

void TFMain::show_status_panels() {
    SendMessageW(StatusBar1, SB_SETPARTS, std::size(kStatusPanelEdges),
                 reinterpret_cast<LPARAM>(kStatusPanelEdges));
    for (std::size_t panel = 0; panel < std::size(kStatusPanelTexts); ++panel) {
        SendMessageW(StatusBar1, SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(kStatusPanelTexts[panel]));
    }
}

void TFMain::select_page(int index) {
    TabCtrl_SetCurSel(PageControl1, index);
    const auto all = pages();
    for (int i = 0; i < 4; ++i) ShowWindow(all[static_cast<std::size_t>(i)], i == index ? SW_SHOWNA : SW_HIDE);
}

void TFMain::on_resize() {
    const SIZE client = client_size(window_);
    // Showing the window reports the size the controls already stand for.
    if (client.cx == laid_out_for_.cx && client.cy == laid_out_for_.cy) return;
    laid_out_for_ = client;
    window_anchors_.apply(client);
    clip_page_control(PageControl1);
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
    if (code == kFromAccelerator && (id == kNextPage || id == kPreviousPage)) {
        step_page(id == kNextPage ? 1 : -1);
        return;
    }
    const auto rows = main_window_rows();
    const int index = id - kFirstControlId;
    if (code != BN_CLICKED || index < 0 || index >= static_cast<int>(rows.size())) return;
    if (auto handler = rows[static_cast<std::size_t>(index)].on_click) (this->*handler)();
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
            }
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
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT TFMain::on_page_message(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
            return SendMessageW(window_, message, wparam, lparam);
        case WM_SIZE: {
            const auto all = pages();
            for (std::size_t i = 0; i < all.size(); ++i) {
                if (all[i] == page) page_anchors_[i].apply(client_size(page));
            }
            return 0;
        }
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
