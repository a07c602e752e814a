// clipboard_holder: another program that keeps the clipboard open, as a
// clipboard viewer or a remote-desktop client may, until it is told to let
// go; it signals one named event once it holds it and another once it has
// let go.
#include <windows.h>

int wmain() {
    HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"TessivarClipboardHeld");
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, L"TessivarClipboardRelease");
    HANDLE released = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"TessivarClipboardReleased");
    if (!held || !release || !released) return 2;
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return 1;
    SetEvent(held);
    WaitForSingleObject(release, INFINITE);
    CloseClipboard();
    SetEvent(released);
    return 0;
}
