#pragma once
// Reading the status bar's panels back as the user sees them.
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace tessivar::testing {

inline std::wstring panel_text(HWND status_bar, int panel) {
    const auto length = LOWORD(SendMessageW(status_bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
    std::wstring text(length, L'\0');
    SendMessageW(status_bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
    return text;
}

}  // namespace tessivar::testing
