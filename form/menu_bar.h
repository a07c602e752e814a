#pragma once
// The main window's menu bar: a row of captions, each dropping down the items
// of its actions. A child control, so that it lies in the window's layout.
#include <windows.h>

#include "form/window_kit.h"

namespace tessivar {

class TFMain;

// Choosing an item runs its action's handler on `form`.
HWND create_menu_bar(TFMain& form, HWND parent, Bounds bounds, int id);

// The captions with their drop-downs, as the bar shows them.
HMENU menu_bar_menu(HWND bar);

// Alt or F10: highlights the first caption for the keyboard, or, when the
// bar is already highlighted, gives the focus back.
void toggle_menu_bar_keyboard(HWND bar);

}  // namespace tessivar
