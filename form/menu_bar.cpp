// The bar is drawn by hand, since a window menu can neither lie under a
// heading of the form nor take these colours. Its drop-downs are the
// system's popup menus with owner-drawn items in the bar's font and colours.
#include "form/menu_bar.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "form/main_window.h"

namespace tessivar {
namespace {

constexpr wchar_t kClass[] = L"TActionMainMenuBar";
// At 96 dpi; scaled to the bar's density.
constexpr int kCaptionPadding = 7;  // either side of a title's text
constexpr int kItemHeight = 20;
constexpr int kItemTextLeft = 24;  // the room menus keep for their glyphs
constexpr int kItemTextRight = 16;
constexpr COLORREF kWhite = RGB(255, 255, 255);
// The least contrast the web's accessibility guidelines (WCAG 2, level AA)
// allow body text; the bar's captions are 8 pt.
constexpr double kReadableContrast = 4.5;

// Relative luminance as those guidelines define it, from sRGB.
double luminance(COLORREF colour) {
    const auto linear = [](BYTE value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(colour)) + 0.7152 * linear(GetGValue(colour)) +
           0.0722 * linear(GetBValue(colour));
}

// From 1 (the same) to 21 (black and white).
double contrast_ratio(COLORREF a, COLORREF b) {
    const auto [dark, light] = std::minmax(luminance(a), luminance(b));
    return (light + 0.05) / (dark + 0.05);
}

// The fixed look writes the window text on white, and on button face for
// an open title.
bool fixed_look_readable() {
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    return contrast_ratio(text, kWhite) >= kReadableContrast &&
           contrast_ratio(text, GetSysColor(COLOR_BTNFACE)) >= kReadableContrast;
}

MenuPalette fixed_palette() {
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    return {
        .band = {kWhite, text},
        .hot = {kWhite, text},
        .open = {GetSysColor(COLOR_BTNFACE), text},
        .greyed_text = GetSysColor(COLOR_GRAYTEXT),
        .frame = GetSysColor(COLOR_HIGHLIGHT),
        .band_brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
    };
}

// The theme's own pairs, each made to be read.
MenuPalette system_palette() {
    const MenuColours selection = {GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT)};
    return {
        .band = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)},
        .hot = selection,
        .open = selection,
        .greyed_text = GetSysColor(COLOR_GRAYTEXT),
        .frame = GetSysColor(COLOR_HIGHLIGHT),
        .band_brush = GetSysColorBrush(COLOR_WINDOW),
    };
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void frame(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A checked item's tick, in its text's colour, in the room menus keep for glyphs.
void draw_tick(HDC dc, const RECT& item, COLORREF colour, const LayoutScale& scale) {
    const int middle = (item.top + item.bottom) / 2;
    const POINT tick[] = {{item.left + scale.x(7), middle},
                          {item.left + scale.x(10), middle + scale.y(3)},
                          {item.left + scale.x(16), middle - scale.y(4)}};
    HPEN pen = CreatePen(PS_SOLID, scale.x(2), colour);
    HGDIOBJ previous = SelectObject(dc, pen);
    Polyline(dc, tick, static_cast<int>(std::size(tick)));
    SelectObject(dc, previous);
    DeleteObject(pen);
}

void insert_item(HMENU menu, MENUITEMINFOW& item) {
    item.cbSize = sizeof item;
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item);
}

// An item's id is its command's place among all the menu's commands plus
// one, so that 0 stays "nothing chosen": `commands` gets each command at its id, less one.
HMENU build_menu(std::span<const MenuTitle> titles, std::vector<const MenuCommand*>& commands) {
    HMENU menu = CreateMenu();
    for (const MenuTitle& title : titles) {
        HMENU drop_down = CreatePopupMenu();
        for (const MenuCommand& command : title.commands) {
            commands.push_back(&command);
            MENUITEMINFOW item{};
            item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
            item.fType = MFT_OWNERDRAW;
            item.fState = command.execute ? MFS_ENABLED : MFS_GRAYED;
            item.wID = static_cast<UINT>(commands.size());
            item.dwTypeData = const_cast<wchar_t*>(command.caption.c_str());
            insert_item(drop_down, item);
        }
        MENUITEMINFOW item{};
        item.fMask = MIIM_STRING | MIIM_SUBMENU;
        item.hSubMenu = drop_down;
        item.dwTypeData = const_cast<wchar_t*>(title.caption.c_str());
        insert_item(menu, item);
    }
    return menu;
}

// The drop-down's margins around its items.
void set_margin_brush(HMENU drop_down, HBRUSH brush) {
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = brush;
    SetMenuInfo(drop_down, &info);
}

class MenuBar {
public:
    MenuBar(TFMain& form, std::span<const MenuTitle> titles, int dpi, int height)
        : form_(form), titles_(titles), menu_(build_menu(titles, commands_)) {
        set_dpi(dpi, height);
    }
    ~MenuBar() {
        DestroyMenu(menu_);
        DeleteObject(font_);
    }
    MenuBar(const MenuBar&) = delete;
    MenuBar& operator=(const MenuBar&) = delete;

    static MenuBar* of(HWND bar) {
        return reinterpret_cast<MenuBar*>(GetWindowLongPtrW(bar, GWLP_USERDATA));
    }
    static LRESULT CALLBACK filter_menu_message(int code, WPARAM wparam, LPARAM lparam);

    HMENU menu() const { return menu_; }

    // The font and every measure for `dpi`, the bar being `height` high.
    void set_dpi(int dpi, int height) {
        if (font_) DeleteObject(font_);
        font_ = create_ui_font(L"Tahoma", dpi);
        scale_ = {dpi, dpi};
        captions_.clear();
        int left = 0;
        for (const MenuTitle& title : titles_) {
            const int width = text_size(font_, title.caption.c_str()).cx + 2 * scale_.x(kCaptionPadding);
            captions_.push_back({left, 0, left + width, height});
            left += width;
        }
        if (window_) InvalidateRect(window_, nullptr, FALSE);
    }

    void toggle_keyboard() {
        if (selected_ >= 0) {
            leave_keyboard();
        } else if (!titles_.empty()) {
            enter_keyboard(0);
        }
    }

private:
    template <class>
    friend LRESULT CALLBACK ::tessivar::object_window_procedure(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { window_ = window; }
    void detach() { delete this; }  // the bar's window owns it
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);
    void paint(HDC dc) const;
    void draw_title(HDC dc, int index, const MenuPalette& palette) const;
    void measure_item(MEASUREITEMSTRUCT& item) const;
    void draw_item(const DRAWITEMSTRUCT& item) const;
    const MenuCommand& command(UINT id) const { return *commands_[id - 1]; }

    int title_count() const { return static_cast<int>(titles_.size()); }
    int wrap(int index) const { return (index + title_count()) % title_count(); }
    int caption_at(POINT client) const;
    int caption_at_screen(POINT screen) const;
    void set_hot(int index);
    void set_selected(int index);
    void set_open(int index);

    void enter_keyboard(int index);
    void leave_keyboard();
    void on_key(WPARAM key);
    void on_click(POINT client);

    void drop_down(int index, bool by_keyboard);
    int track(int index, bool by_keyboard);
    bool steer(const MSG& msg);
    void switch_to(int index, bool by_keyboard);
    void run(int id) const;
    void show_settings(HMENU drop_down) const;

    inline static MenuBar* tracking_ = nullptr;  // whose drop-down is open, for the message filter

    TFMain& form_;
    std::span<const MenuTitle> titles_;
    std::vector<const MenuCommand*> commands_;  // by item id, less one; made before menu_, whose building fills it
    HWND window_{};
    HFONT font_{};
    LayoutScale scale_;
    HMENU menu_;
    std::vector<RECT> captions_;
    int hot_ = -1;       // under the mouse
    int selected_ = -1;  // highlighted for the keyboard, the bar having the focus
    int open_ = -1;      // dropped down
    HWND focus_before_{};
    // Set while a drop-down is open: where to go once it has closed.
    int next_ = -1;
    bool next_by_keyboard_ = false;
    bool escaped_ = false;
};

void MenuBar::paint(HDC dc) const {
    const MenuPalette palette = menu_palette();
    RECT client;
    GetClientRect(window_, &client);
    fill(dc, client, palette.band.fill);
    HGDIOBJ previous = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < title_count(); ++i) draw_title(dc, i, palette);
    SelectObject(dc, previous);
}

void MenuBar::draw_title(HDC dc, int index, const MenuPalette& palette) const {
    const auto i = static_cast<std::size_t>(index);
    RECT r = captions_[i];
    const bool open = index == open_;
    const bool hot = index == hot_ || index == selected_;
    const MenuColours& colours = open ? palette.open : hot ? palette.hot : palette.band;
    fill(dc, r, colours.fill);
    if (open || hot) frame(dc, r, palette.frame);
    SetTextColor(dc, colours.text);
    DrawTextW(dc, titles_[i].caption.c_str(), -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

void MenuBar::measure_item(MEASUREITEMSTRUCT& item) const {
    const SIZE text = text_size(font_, command(item.itemID).caption.c_str());
    item.itemWidth = static_cast<UINT>(scale_.x(kItemTextLeft) + text.cx + scale_.x(kItemTextRight));
    item.itemHeight = static_cast<UINT>(scale_.y(kItemHeight));
}

void MenuBar::draw_item(const DRAWITEMSTRUCT& item) const {
    const MenuPalette palette = menu_palette();
    const bool selected = item.itemState & ODS_SELECTED;
    const bool greyed = item.itemState & ODS_GRAYED;
    // A greyed item keeps the band's fill, which its grey text is chosen for.
    const MenuColours& colours = selected && !greyed ? palette.hot : palette.band;
    fill(item.hDC, item.rcItem, colours.fill);
    if (selected) frame(item.hDC, item.rcItem, palette.frame);
    HGDIOBJ previous = SelectObject(item.hDC, font_);
    SetBkMode(item.hDC, TRANSPARENT);
    const COLORREF text_colour = greyed ? palette.greyed_text : colours.text;
    SetTextColor(item.hDC, text_colour);
    if (item.itemState & ODS_CHECKED) draw_tick(item.hDC, item.rcItem, text_colour, scale_);
    RECT text = item.rcItem;
    text.left += scale_.x(kItemTextLeft);
    DrawTextW(item.hDC, command(item.itemID).caption.c_str(), -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(item.hDC, previous);
}

int MenuBar::caption_at(POINT client) const {
    for (int i = 0; i < title_count(); ++i) {
        if (PtInRect(&captions_[static_cast<std::size_t>(i)], client)) return i;
    }
    return -1;
}

int MenuBar::caption_at_screen(POINT screen) const {
    ScreenToClient(window_, &screen);
    return caption_at(screen);
}

void MenuBar::set_hot(int index) {
    if (index == hot_) return;
    if (hot_ < 0) {
        TRACKMOUSEEVENT leave = {sizeof leave, TME_LEAVE, window_, 0};
        TrackMouseEvent(&leave);
    }
    hot_ = index;
    InvalidateRect(window_, nullptr, FALSE);
}

void MenuBar::set_selected(int index) {
    selected_ = index;
    InvalidateRect(window_, nullptr, FALSE);
}

void MenuBar::set_open(int index) {
    open_ = index;
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);  // before the drop-down's loop takes over
}

// The bar takes the focus only while highlighted, to have the arrow keys.
void MenuBar::enter_keyboard(int index) {
    set_selected(index);
    if (GetFocus() != window_) {
        focus_before_ = GetFocus();
        SetFocus(window_);
    }
}

void MenuBar::leave_keyboard() {
    set_selected(-1);
    if (GetFocus() == window_) SetFocus(IsWindow(focus_before_) ? focus_before_ : GetParent(window_));
    focus_before_ = nullptr;
}

void MenuBar::on_key(WPARAM key) {
    if (selected_ < 0) return;
    switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
            set_selected(wrap(selected_ + (key == VK_LEFT ? -1 : 1)));
            break;
        case VK_RETURN: {
            // The Enter that opens the drop-down must not also choose in it.
            MSG typed;
            PeekMessageW(&typed, window_, WM_CHAR, WM_CHAR, PM_REMOVE);
            drop_down(selected_, true);
            break;
        }
        case VK_DOWN:
        case VK_UP:
            drop_down(selected_, true);
            break;
        case VK_ESCAPE:
            leave_keyboard();
            break;
        default:
            break;
    }
}

void MenuBar::on_click(POINT client) {
    const int index = caption_at(client);
    if (index >= 0) {
        drop_down(index, false);
    } else {
        leave_keyboard();
    }
}

// Drops down `index`, and after it whichever caption the user moves to,
// until an item is chosen or the menus are left.
void MenuBar::drop_down(int index, bool by_keyboard) {
    int chosen = track(index, by_keyboard);
    while (!chosen && next_ >= 0) {
        index = next_;
        chosen = track(index, next_by_keyboard_);
    }
    set_open(-1);
    // Escape closes the drop-down only, leaving its caption highlighted.
    if (escaped_) {
        enter_keyboard(index);
    } else {
        leave_keyboard();
    }
    POINT cursor;
    GetCursorPos(&cursor);
    set_hot(caption_at_screen(cursor));
    if (chosen) run(chosen);
}

int MenuBar::track(int index, bool by_keyboard) {
    next_ = -1;
    escaped_ = false;
    set_open(index);
    RECT caption = captions_[static_cast<std::size_t>(index)];
    MapWindowPoints(window_, HWND_DESKTOP, reinterpret_cast<POINT*>(&caption), 2);
    TPMPARAMS params = {sizeof params, caption};  // keep the caption uncovered
    // A drop-down opened from the keyboard starts on its first item.
    if (by_keyboard) PostMessageW(window_, WM_KEYDOWN, VK_DOWN, 0);
    tracking_ = this;
    HHOOK filter = SetWindowsHookExW(WH_MSGFILTER, filter_menu_message, nullptr, GetCurrentThreadId());
    const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_LEFTBUTTON | TPM_RETURNCMD;
    HMENU drop_down = GetSubMenu(menu_, index);
    set_margin_brush(drop_down, menu_palette().band_brush);
    show_settings(drop_down);
    const BOOL chosen = TrackPopupMenuEx(drop_down, flags, caption.left, caption.bottom, window_, &params);
    if (filter) UnhookWindowsHookEx(filter);
    tracking_ = nullptr;
    return chosen;
}

// What a menu bar adds to a single drop-down: the arrows and the mouse move
// to the neighbouring caption, a click on the open caption closes it. True
// where the message is used up.
bool MenuBar::steer(const MSG& msg) {
    switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE) escaped_ = true;
            if (msg.wParam != VK_LEFT && msg.wParam != VK_RIGHT) return false;
            switch_to(wrap(open_ + (msg.wParam == VK_LEFT ? -1 : 1)), true);
            return true;
        case WM_MOUSEMOVE: {
            const int index = caption_at_screen(msg.pt);
            if (index < 0 || index == open_) return false;
            switch_to(index, false);
            return true;
        }
        case WM_LBUTTONDOWN: {
            const int index = caption_at_screen(msg.pt);
            if (index < 0) return false;
            switch_to(index == open_ ? -1 : index, false);
            return true;
        }
        default:
            return false;
    }
}

void MenuBar::switch_to(int index, bool by_keyboard) {
    next_ = index;
    next_by_keyboard_ = by_keyboard;
    EndMenu();
}

// A setting's item shows its state as it is now: another window may have changed it.
void MenuBar::show_settings(HMENU drop_down) const {
    for (int i = 0; i < GetMenuItemCount(drop_down); ++i) {
        const UINT id = GetMenuItemID(drop_down, i);
        if (auto is_on = command(id).checked) {
            CheckMenuItem(drop_down, id, MF_BYCOMMAND | ((form_.*is_on)() ? MF_CHECKED : MF_UNCHECKED));
        }
    }
}

void MenuBar::run(int id) const {
    if (auto handler = command(static_cast<UINT>(id)).execute) (form_.*handler)();
}

LRESULT MenuBar::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window_, &ps);
            paint(dc);
            EndPaint(window_, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_SETFONT:
            return 0;  // keeps its own font
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_MOUSEMOVE:
            set_hot(caption_at({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}));
            return 0;
        case WM_MOUSELEAVE:
            set_hot(-1);
            return 0;
        case WM_LBUTTONDOWN:
            on_click({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
            return 0;
        case WM_KEYDOWN:
            on_key(wparam);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        case WM_KILLFOCUS:
            if (open_ < 0 && selected_ >= 0) set_selected(-1);
            return 0;
        case WM_SETFOCUS:  // given back as the window is activated again, nothing highlighted
            if (selected_ < 0 && IsChild(GetParent(window_), focus_before_)) SetFocus(focus_before_);
            return 0;
        case WM_MEASUREITEM:
            measure_item(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_DRAWITEM:
            draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        default:
            return DefWindowProcW(window_, message, wparam, lparam);
    }
}

LRESULT CALLBACK MenuBar::filter_menu_message(int code, WPARAM wparam, LPARAM lparam) {
    if (code == MSGF_MENU && tracking_ && tracking_->steer(*reinterpret_cast<const MSG*>(lparam))) {
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

HWND create_menu_bar(TFMain& form, std::span<const MenuTitle> menu, HWND parent, Bounds bounds, int id,
                     int dpi) {
    register_window_class(kClass, object_window_procedure<MenuBar>);
    auto* bar = new MenuBar(form, menu, dpi, bounds.height);
    // Clipped by its siblings, so that a heading lying in its band stays visible.
    HWND window = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_CLIPSIBLINGS, bounds.left, bounds.top,
                                  bounds.width, bounds.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), bar);
    if (!window) delete bar;
    return window;
}

HMENU menu_bar_menu(HWND bar) {
    const MenuBar* self = MenuBar::of(bar);
    return self ? self->menu() : nullptr;
}

void set_menu_bar_dpi(HWND bar, int dpi) {
    if (MenuBar* self = MenuBar::of(bar)) self->set_dpi(dpi, client_size(bar).cy);
}

void toggle_menu_bar_keyboard(HWND bar) {
    if (MenuBar* self = MenuBar::of(bar)) self->toggle_keyboard();
}

MenuPalette menu_palette() {
    return high_contrast_on() || !fixed_look_readable() ? system_palette() : fixed_palette();
}

HBRUSH colour_as_menu_band(HDC dc) {
    const MenuPalette palette = menu_palette();
    SetBkColor(dc, palette.band.fill);
    SetTextColor(dc, palette.band.text);
    return palette.band_brush;
}

}  // namespace tessivar
