#include "form/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "form/accessible_name.h"
#include "form/menu_bar.h"

namespace tessivar {
namespace {

constexpr wchar_t kWindowClass[] = L"TFMain";
constexpr wchar_t kPageClass[] = L"TTabSheet";
constexpr wchar_t kFace[] = L"MS Sans Serif";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// Where the designer left the window, and the client size its layout is made for.
constexpr POINT kDesignPosition = {192, 110};
constexpr SIZE kDesignClient = {640, 589};
// The designed font's line at 96 dpi.
constexpr int kDesignLineHeight = 13;
constexpr int kFirstControlId = 100;
// Where the page lies inside the page control: below the tab strip, inside its border.
constexpr RECT kPageInset = {4, 24, 4, 4};
constexpr int kStatusPanelEdges[] = {50, 550, -1};
constexpr const wchar_t* kStatusPanelTexts[] = {L"Ver 1.3", L"", L"by Varnhold"};
// Commands of the page keys; the controls' ids start above them.
constexpr WORD kNextPage = 1;
constexpr WORD kPreviousPage = 2;
constexpr SYSTEMTIME kStartDate = {2009, 11, 0, 2, 23, 2, 26, 515};

// A label comes right before the control it names, since screen readers
// take a field's name from the label just before it in z-order; the
// focusable controls come in tab order, which the dialog keys follow; the
// rest last. The heading lying over the menu bar's band is thus above it.
int creation_rank(const ControlRow& row, std::span<const ControlRow> rows) {
    if (row.names) {
        const auto named = std::find_if(rows.begin(), rows.end(),
                                        [&](const ControlRow& r) { return r.member == row.names; });
        return 2 * named->tab_order;
    }
    return row.tab_order == kNoFocus ? 100'000 : 2 * row.tab_order + 1;
}

struct ClassAndStyle {
    const wchar_t* window_class;
    DWORD style;
    DWORD ex_style;
};

ClassAndStyle class_and_style(const ControlRow& row) {
    constexpr DWORD kFocus = WS_TABSTOP;
    constexpr DWORD kEditLook = WS_EX_CLIENTEDGE;
    switch (row.kind) {
        case Kind::Label:
            if (row.style & SS_RIGHT) return {WC_STATICW, SS_RIGHT | SS_NOPREFIX, 0};
            return {WC_STATICW, static_cast<DWORD>(row.wraps ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX, 0};
        case Kind::Edit:
            return {WC_EDITW, kFocus | ES_AUTOHSCROLL, kEditLook};
        case Kind::Combo:
            return {WC_COMBOBOXW, kFocus | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
        case Kind::DropList:
            return {WC_COMBOBOXW, kFocus | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
        case Kind::Memo:
            return {WC_EDITW,
                    kFocus | row.style | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                        ES_WANTRETURN | ES_NOHIDESEL,
                    kEditLook};
        case Kind::Button:
            return {WC_BUTTONW, kFocus | BS_PUSHBUTTON, 0};
        case Kind::DateToggle:
            return {WC_BUTTONW, kFocus | BS_AUTOCHECKBOX, 0};
        case Kind::DatePicker:
            return {DATETIMEPICK_CLASSW, kFocus | DTS_SHORTDATEFORMAT, 0};
        case Kind::PageControl:
            return {WC_TABCONTROLW, kFocus | WS_CLIPSIBLINGS, 0};
        case Kind::TabSheet:
            return {kPageClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case Kind::StatusBar:
            // Placed by the layout, not sized from its font.
            return {STATUSCLASSNAMEW, SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, 0};
        case Kind::MenuBar:  // made by create_menu_bar
            break;
    }
    return {WC_STATICW, 0, 0};
}

// With the designed font, the density alone. A substitute face, or the
// designed one at a size of its own, widens the layout until the widest
// label fits, and heightens it for a taller line, as dialog units would;
// the labels then fit as they do in the design.
LayoutScale layout_scale(int dpi, HFONT font) {
    LayoutScale scale{dpi, dpi};
    if (is_exactly(font, kFace)) return scale;
    for (const ControlRow& row : main_window_rows()) {
        if (row.kind != Kind::Label || !*row.text) continue;
        const int needed = MulDiv(text_size(font, row.text).cx, LayoutScale::kDesignDpi, row.bounds.width);
        scale.x_dpi = std::max(scale.x_dpi, needed);
    }
    const int line = text_size(font, L"Й").cy;
    scale.y_dpi = std::max(scale.y_dpi, MulDiv(line, LayoutScale::kDesignDpi, kDesignLineHeight));
    return scale;
}

// A label is as large as its text needs, as a designer's auto-sized label,
// growing away from the edge its text is aligned to. Every label of the
// design holds one line: one that may wrap widens rather than break, for a
// second line would run into the row below. Where the font matches the
// design, nothing changes.
Bounds fit_label(const ControlRow& row, Bounds b, HFONT font) {
    const SIZE text = text_size(font, row.text);
    b.height = std::max(b.height, static_cast<int>(text.cy));
    if (text.cx <= b.width) return b;
    // Never past the page's left edge, where the text would be cut.
    if (row.style & SS_RIGHT) b.left = std::max(0, b.left - static_cast<int>(text.cx - b.width));
    b.width = static_cast<int>(text.cx);
    return b;
}

bool is_combo(const ControlRow& row) { return row.kind == Kind::Combo || row.kind == Kind::DropList; }

// Combo boxes are given room for their drop-down.
int drop_down_room(const ControlRow& row, const LayoutScale& scale) { return is_combo(row) ? scale.y(200) : 0; }

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
            name_when_asked(control, row.hint);  // it has no caption
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

TFMain::TFMain(HWND owner, std::span<const MenuTitle> menu) : menu_(menu) {
    register_window_class(kWindowClass, object_window_procedure<TFMain>, GetSysColorBrush(COLOR_BTNFACE),
                          main_icon());
    register_window_class(kPageClass, page_proc, GetSysColorBrush(COLOR_BTNFACE));
    take_density(window_dpi(nullptr));
    // The layout is made for this client size; the frame adds whatever the
    // system's metrics give.
    const SIZE outer = outer_size(scale_.size(kDesignClient), kStyle, kExStyle, dpi_);
    const LayoutScale density{dpi_, dpi_};
    CreateWindowExW(kExStyle, kWindowClass, L"Tessivar.", kStyle, density.x(kDesignPosition.x),
                    density.y(kDesignPosition.y), outer.cx, outer.cy, owner, nullptr, instance(), this);
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
    window_anchors_.reset(scale_.size(kDesignClient));
    for (int index : creation_order()) create_control(rows[static_cast<std::size_t>(index)], kFirstControlId + index);
    show_status_panels();
    clip_page_control(PageControl1, scale_);
    select_page(0);
}

// Pages before their controls; within a parent, by creation rank.
std::vector<int> TFMain::creation_order() {
    const auto rows = main_window_rows();
    std::vector<int> order(rows.size()), rank(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        order[i] = static_cast<int>(i);
        rank[i] = creation_rank(rows[i], rows);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        if (rows[ia].parent != rows[ib].parent) return rows[ia].parent < rows[ib].parent;
        return rank[ia] < rank[ib];
    });
    return order;
}

Bounds TFMain::place(const ControlRow& row) const {
    const Bounds b = scale_.bounds(row.bounds);
    return row.kind == Kind::Label ? fit_label(row, b, font_) : b;
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

void TFMain::create_control(const ControlRow& row, int id) {
    const auto [window_class, style, ex_style] = class_and_style(row);
    const Bounds b = place(row);
    HWND control =
        row.kind == Kind::MenuBar
            ? create_menu_bar(*this, menu_, parent_of(row), b, id, dpi_)
            : CreateWindowExW(ex_style, window_class, row.text, WS_CHILD | style, b.left, b.top,
                              b.width, b.height + drop_down_room(row, scale_), parent_of(row),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(),
                              nullptr);
    this->*row.member = control;
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

// The density's font and layout. Returns the font they replace, which the
// controls may still be using.
HFONT TFMain::take_density(int dpi) {
    HFONT previous = font_;
    dpi_ = dpi;
    font_ = create_ui_font(kFace, dpi_);
    scale_ = layout_scale(dpi_, font_);
    return previous;
}

// A window dragged to a monitor of another density: the same layout at the
// new one, in new fonts, in the rectangle the system suggests. What the
// user typed stays as it is.
void TFMain::on_dpi_changed(int dpi, const RECT& suggested) {
    HFONT previous = take_density(dpi);
    lay_out_again();
    take_rectangle(suggested);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    DeleteObject(previous);
}

void TFMain::lay_out_again() {
    window_anchors_.reset(scale_.size(kDesignClient));
    const auto rows = main_window_rows();
    for (int index : creation_order()) {
        const ControlRow& row = rows[static_cast<std::size_t>(index)];
        HWND control = this->*row.member;
        const Bounds b = place(row);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetWindowPos(control, nullptr, b.left, b.top, b.width, b.height + drop_down_room(row, scale_),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (is_combo(row)) fit_combo_height(control, b.height);
        anchor(row, control, b);
    }
    set_menu_bar_dpi(ActionMainMenuBar1, dpi_);
    show_status_panels();
}

void TFMain::take_rectangle(const RECT& suggested) {
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
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
    int edges[std::size(kStatusPanelEdges)];
    for (std::size_t i = 0; i < std::size(edges); ++i) {
        edges[i] = kStatusPanelEdges[i] < 0 ? kStatusPanelEdges[i] : scale_.x(kStatusPanelEdges[i]);
    }
    SendMessageW(StatusBar1, SB_SETPARTS, std::size(edges), reinterpret_cast<LPARAM>(edges));
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
    window_anchors_.apply(client_size(window_));
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
        case WM_DPICHANGED:
            on_dpi_changed(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
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
