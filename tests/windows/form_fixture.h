#pragma once
// The real main window, created in the test's own process under Wine and
// driven by the messages a user's actions would send.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "app/application.h"
#include "win32/window.h"
#include "form/main_window.h"
#include "output/description.h"
#include "output/win32_text.h"

namespace tessivar::testing {

// Runs whatever the window system has queued, as the message loop would.
inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// This thread's messages run until `done` holds: false where it did not
// within a minute, which no machine, however busy, comes near.
template <class Done>
bool pump_until(Done done) {
    for (const DWORD start = GetTickCount(); !done();) {
        if (GetTickCount() - start > 60'000) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pump();
    }
    return true;
}

inline std::string text_of(HWND control) { return read_text(control); }
inline void type(HWND control, std::string_view utf8) { write_text(control, utf8); }
inline void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    pump();
}
inline bool is_checked(HWND toggle) { return SendMessageW(toggle, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The text a pane must hold for these lines: CR LF after every one.
inline std::string pane(const Lines& lines) { return pane_text(lines); }

// What the clipboard holds as Unicode text, or "<busy>" while another program holds it open.
inline std::wstring clipboard_text() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"<busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

inline RECT bounds_in_parent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Tells `window` it was dragged to a monitor of `dpi`, as the system would,
// with the rectangle the system suggests.
inline void change_density(HWND window, int dpi, RECT suggested) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    pump();
}

inline LONG font_height(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

inline bool has_rectangle(HWND window, const RECT& expected) {
    RECT now;
    GetWindowRect(window, &now);
    return EqualRect(&now, &expected);
}

class FormTest : public ::testing::Test {
protected:
    explicit FormTest(std::span<const MenuTitle> menu = {}) : menu_(menu) {}

    static void SetUpTestSuite() { init_common_controls(); }

    void SetUp() override {
        form = std::make_unique<TFMain>(nullptr, menu_);
        ShowWindow(form->handle(), SW_SHOWNORMAL);
        pump();
    }

    void TearDown() override {
        form.reset();
        pump();
    }

    std::unique_ptr<TFMain> form;

private:
    std::span<const MenuTitle> menu_;
};

}  // namespace tessivar::testing
