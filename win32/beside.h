#pragma once
// Where the windows opened from the main one first stand: beside it on its
// monitor, wholly on the screen, never over its menu.
#include <windows.h>

#include <utility>
#include <vector>

namespace tessivar {

// The windows one window opens: placed beside it at their first showing,
// and again at each later one until the user moves them, so that they
// follow a main window that has moved or grown meanwhile.
class Beside {
public:
    // `main`'s menu ends at `menu_bottom` (screen coordinates): a window
    // that must lie over `main` for want of room lies below it.
    void place(HWND window, HWND main, LONG menu_bottom);
    void again_if_unmoved(HWND window, HWND main, LONG menu_bottom);

private:
    std::vector<std::pair<HWND, RECT>> placed_;
};

}  // namespace tessivar
