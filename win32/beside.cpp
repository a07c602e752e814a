#include "win32/beside.h"

#include <algorithm>

#include "win32/window_kit.h"

namespace tessivar {
namespace {

// To the right of `main` where the screen has room, else to its left, level
// with its top; else over it, at its right edge, below its menu. Shortened
// where the screen is not tall enough.
RECT beside(const RECT& main, LONG menu_bottom, SIZE size, const RECT& work) {
    const LONG width = std::min(size.cx, work.right - work.left);
    LONG top = main.top, x = main.right;
    if (x + width > work.right) x = main.left - width;
    if (x < work.left) {
        x = std::clamp(main.right - width, work.left, work.right - width);
        top = std::max(top, menu_bottom);
    }
    top = std::max(top, work.top);
    const LONG height = std::min(size.cy, work.bottom - top);
    return {x, top, x + width, top + height};
}

}  // namespace

void Beside::place(HWND window, HWND main, LONG menu_bottom) {
    RECT own, over;
    GetWindowRect(window, &own);
    GetWindowRect(main, &over);
    const RECT r = beside(over, menu_bottom, {own.right - own.left, own.bottom - own.top}, work_area_of(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST)));
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(window, &own);  // as the window took it, its least size kept
    std::erase_if(placed_, [&](const auto& p) { return p.first == window; });
    placed_.emplace_back(window, own);
}

void Beside::again_if_unmoved(HWND window, HWND main, LONG menu_bottom) {
    const auto found = std::find_if(placed_.begin(), placed_.end(), [&](const auto& p) { return p.first == window; });
    RECT now;
    if (found == placed_.end() || IsZoomed(window) || !GetWindowRect(window, &now) || !EqualRect(&now, &found->second)) {
        return;
    }
    place(window, main, menu_bottom);
}

}  // namespace tessivar
