#pragma once
// The main window's menu bar: a row of titles, each dropping down its
// commands. A child control, so that it lies in the window's layout.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "win32/window_kit.h"

namespace tessivar {

class TFMain;

struct MenuCommand {
    std::wstring caption;
    void (TFMain::*execute)() = nullptr;  // none: shown greyed, does nothing
    bool (TFMain::*checked)() = nullptr;  // a setting: asked each time its drop-down opens
};

struct MenuTitle {
    std::wstring caption;
    std::vector<MenuCommand> commands;
};

// Choosing a command runs its handler on `form`. The bar shows `menu`
// without copying it: it must outlive the bar. Its font and measures are
// for `dpi`.
HWND create_menu_bar(TFMain& form, std::span<const MenuTitle> menu, HWND parent, Bounds bounds, int id,
                     int dpi);

// The bar moved to a monitor of another density, and already placed there.
void set_menu_bar_dpi(HWND bar, int dpi);

// The titles with their drop-downs, as the bar shows them.
HMENU menu_bar_menu(HWND bar);

// Alt or F10: highlights the first title for the keyboard, or, when the
// bar is already highlighted, gives the focus back.
void toggle_menu_bar_keyboard(HWND bar);

// A fill and the text written on it.
struct MenuColours {
    COLORREF fill;
    COLORREF text;
};

struct MenuPalette {
    MenuColours band;      // the bar, a title at rest, a drop-down's items
    MenuColours hot;       // a title under the mouse or the keyboard, the selected item
    MenuColours open;      // the title whose drop-down is open
    COLORREF greyed_text;  // an item that does nothing, on the band's fill
    COLORREF frame;        // around hot and open titles and the selected item
    HBRUSH band_brush;     // the band's fill; the system's own, never deleted
};

// A fixed white band while the system's text stands out on it; under a
// high-contrast theme, or where it would not stand out, the system's own
// colours. Decided at every call, so that a theme change shows at the next paint.
MenuPalette menu_palette();

// Colours `dc` for a label lying on the bar's band; returns its background.
HBRUSH colour_as_menu_band(HDC dc);

}  // namespace tessivar
