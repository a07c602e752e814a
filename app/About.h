#pragma once
// The About window: what the program does and what each version brought.
// Created once and hidden; shown modally over the main window. Its design
// is shared with the start-up bench, which builds the same window bare.
#include <windows.h>

#include "win32/window.h"

namespace tessivar {

inline constexpr wchar_t kAboutClass[] = L"TFAbout";
inline constexpr wchar_t kAboutTitle[] = L"О программе";
inline constexpr DWORD kAboutStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Where the designer left it, not centred; sized from its client area, the
// frame adding whatever the system's metrics give.
inline constexpr POINT kAboutPlace = {192, 113};
inline constexpr SIZE kAboutDesignClient = {632, 447};
// A few lines of the text, wide enough for its scroll bars.
inline constexpr SIZE kAboutLeastClient = {240, 120};
inline constexpr Bounds kAboutMemoBounds = {0, 0, 626, 445};
// Read-only but selectable, wrapped at the window's width, no border, no bars.
inline constexpr DWORD kAboutMemoStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;

// CR LF after every line, the last too, as in the main window's memos.
const wchar_t* about_text();

class TFAbout : public ModalWindow {
public:
    explicit TFAbout(HWND owner);

    HWND Memo6{};

private:
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void lay_out() override;
};

}  // namespace tessivar
