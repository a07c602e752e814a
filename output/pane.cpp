#include "output/pane.h"

#include "output/win32_text.h"

namespace tessivar {
namespace {

// How long a copy waits for another program to let go of the clipboard.
constexpr DWORD kClipboardPatienceMs = 1000;
constexpr DWORD kRetryMs = 20;

// Keeps the windows painting and answering while the copy waits. False
// once the program is ending: the quit is left for the message loop, and
// the copy waits no longer.
bool wait_a_moment() {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kRetryMs, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace

void write_pane(HWND pane, const Lines& lines) { write_text(pane, pane_text(lines)); }

// The edit control's own copy gives up at once when another program holds
// the clipboard open, and not every system lets it know: so the copy runs
// only once the clipboard can be opened, and a new clipboard sequence number
// tells that it got through.
void copy_pane(HWND pane) {
    SendMessageW(pane, EM_SETSEL, 0, -1);
    if (GetWindowTextLengthW(pane) == 0) return;  // nothing selected, nothing to copy
    const DWORD start = GetTickCount();
    for (;;) {
        if (OpenClipboard(pane)) {
            CloseClipboard();
            SendMessageW(pane, EM_SETSEL, 0, -1);
            const DWORD before = GetClipboardSequenceNumber();
            SendMessageW(pane, WM_COPY, 0, 0);
            if (GetClipboardSequenceNumber() != before) return;
        }
        if (GetTickCount() - start >= kClipboardPatienceMs || !wait_a_moment()) return;
    }
}

}  // namespace tessivar
