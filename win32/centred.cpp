#include "win32/centred.h"

#include <algorithm>

#include "win32/window_kit.h"

namespace tessivar {
namespace {

// The window thread's: a question asked from within another's gives the
// outer owner back when it ends.
HWND centring_owner{};

void centre(HWND dialog, HWND owner) {
    RECT own, over;
    GetWindowRect(dialog, &own);
    GetWindowRect(owner, &over);
    const RECT work = work_area_of(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST));
    const int width = own.right - own.left, height = own.bottom - own.top;
    const int x = std::clamp<int>((over.left + over.right - width) / 2, work.left, std::max(work.left, work.right - width));
    const int y =
        std::clamp<int>((over.top + over.bottom - height) / 2, work.top, std::max(work.top, work.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK on_activation(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && centring_owner) {
        HWND dialog = reinterpret_cast<HWND>(wparam);
        if (GetWindow(dialog, GW_OWNER) == centring_owner) {
            centre(dialog, centring_owner);
            centring_owner = nullptr;  // once: a window it opens in turn goes where it says
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

CentredOn::CentredOn(HWND owner) : previous_owner_(centring_owner) {
    centring_owner = owner;
    hook_ = SetWindowsHookExW(WH_CBT, on_activation, nullptr, GetCurrentThreadId());
}

CentredOn::~CentredOn() {
    if (hook_) UnhookWindowsHookEx(hook_);
    centring_owner = previous_owner_;
}

int ask(HWND owner, const std::wstring& text, const wchar_t* title, UINT type) {
    const CentredOn centred(owner);
    return MessageBoxW(owner, text.c_str(), title, type);
}

}  // namespace tessivar
