// The bar is drawn by hand, since a window menu can neither lie under a
// heading of the form nor take these colours. Its drop-downs are the
// system's popup menus with owner-drawn items in the bar's font and colours.
#include "form/menu_bar.h"

#include <windowsx.h>

#include <span>
#include <vector>

#include "app/actions.h"
#include "form/main_window.h"

namespace tessivar {
namespace {

constexpr wchar_t kClass[] = L"TActionMainMenuBar";
constexpr int kCaptionPadding = 7;  // either side of a caption's text
constexpr int kItemHeight = 20;
constexpr int kItemTextLeft = 24;  // the room menus keep for their glyphs
constexpr int kItemTextRight = 16;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The action numbers under each caption, top to bottom; an item's id is its
// action's number, so that 0 stays "nothing chosen".
constexpr int kMainActions[] = {2, 3};
constexpr int kHelpActions[] = {1, 4, 5};

struct Band {
    const wchar_t* caption;
    std::span<const int> actions;
};
constexpr Band kBands[] = {
    {L"Главное", kMainActions},
    {L"Помощь", kHelpActions},
};
constexpr int kBandCount = static_cast<int>(std::size(kBands));

const Action& action(UINT number) { return actions()[number - 1]; }

void fill(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void frame(HDC dc, const RECT& r) { FrameRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT)); }

void insert_item(HMENU menu, MENUITEMINFOW& item) {
    item.cbSize = sizeof item;
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item);
}

HMENU build_drop_down(std::span<const int> numbers) {
    HMENU drop_down = CreatePopupMenu();
    for (int number : numbers) {
        const Action& shown = action(static_cast<UINT>(number));
        MENUITEMINFOW item{};
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.fType = MFT_OWNERDRAW;
        item.fState = shown.execute ? MFS_ENABLED : MFS_GRAYED;
        item.wID = static_cast<UINT>(number);
        item.dwTypeData = const_cast<wchar_t*>(shown.caption.c_str());
        insert_item(drop_down, item);
    }
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;  // the margins around the items
    info.hbrBack = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    SetMenuInfo(drop_down, &info);
    return drop_down;
}

HMENU build_menu() {
    HMENU menu = CreateMenu();
    for (const Band& band : kBands) {
        MENUITEMINFOW item{};
        item.fMask = MIIM_STRING | MIIM_SUBMENU;
        item.hSubMenu = build_drop_down(band.actions);
        item.dwTypeData = const_cast<wchar_t*>(band.caption);
        insert_item(menu, item);
    }
    return menu;
}

int wrap(int index) { return (index + kBandCount) % kBandCount; }

class MenuBar {
public:
    MenuBar(TFMain& form, int height)
        : form_(form), font_(create_ui_font(L"Tahoma")), menu_(build_menu()) {
        int left = 0;
        for (const Band& band : kBands) {
            const int width = text_size(font_, band.caption).cx + 2 * kCaptionPadding;
            captions_.push_back({left, 0, left + width, height});
            left += width;
        }
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

    void toggle_keyboard() {
        if (selected_ >= 0) {
            leave_keyboard();
        } else {
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
    void draw_caption(HDC dc, int index) const;
    void measure_item(MEASUREITEMSTRUCT& item) const;
    void draw_item(const DRAWITEMSTRUCT& item) const;

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
    void run(int number) const;

    inline static MenuBar* tracking_ = nullptr;  // whose drop-down is open, for the message filter

    TFMain& form_;
    HWND window_{};
    HFONT font_;
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
    RECT client;
    GetClientRect(window_, &client);
    fill(dc, client, kWhite);
    HGDIOBJ previous = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (int i = 0; i < kBandCount; ++i) draw_caption(dc, i);
    SelectObject(dc, previous);
}

void MenuBar::draw_caption(HDC dc, int index) const {
    RECT r = captions_[static_cast<std::size_t>(index)];
    if (index == open_) {
        fill(dc, r, GetSysColor(COLOR_BTNFACE));
        frame(dc, r);
    } else if (index == hot_ || index == selected_) {
        fill(dc, r, kWhite);
        frame(dc, r);
    }
    DrawTextW(dc, kBands[index].caption, -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

void MenuBar::measure_item(MEASUREITEMSTRUCT& item) const {
    const SIZE text = text_size(font_, action(item.itemID).caption.c_str());
    item.itemWidth = static_cast<UINT>(kItemTextLeft + text.cx + kItemTextRight);
    item.itemHeight = kItemHeight;
}

void MenuBar::draw_item(const DRAWITEMSTRUCT& item) const {
    fill(item.hDC, item.rcItem, kWhite);
    if (item.itemState & ODS_SELECTED) frame(item.hDC, item.rcItem);
    HGDIOBJ previous = SelectObject(item.hDC, font_);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(item.itemState & ODS_GRAYED ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    RECT text = item.rcItem;
    text.left += kItemTextLeft;
    DrawTextW(item.hDC, action(item.itemID).caption.c_str(), -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(item.hDC, previous);
}

int MenuBar::caption_at(POINT client) const {
    for (int i = 0; i < kBandCount; ++i) {
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
    if (GetFocus() != window_) {
        focus_before_ = GetFocus();
        SetFocus(window_);
    }
    set_selected(index);
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
    const BOOL chosen = TrackPopupMenuEx(GetSubMenu(menu_, index), flags, caption.left,
                                         caption.bottom, window_, &params);
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

void MenuBar::run(int number) const {
    if (auto handler = action(static_cast<UINT>(number)).execute) (form_.*handler)();
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

HWND create_menu_bar(TFMain& form, HWND parent, Bounds bounds, int id) {
    register_window_class(kClass, object_window_procedure<MenuBar>);
    auto* bar = new MenuBar(form, bounds.height);
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

void toggle_menu_bar_keyboard(HWND bar) {
    if (MenuBar* self = MenuBar::of(bar)) self->toggle_keyboard();
}

}  // namespace tessivar
