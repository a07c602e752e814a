// clipboard_holder MILLISECONDS: another program that keeps the clipboard
// open for a while, as a clipboard viewer or a remote-desktop client may; it
// signals the named event once it holds it.
#include <windows.h>

#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"TessivarClipboardHeld");
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return 1;
    if (ready) SetEvent(ready);
    Sleep(static_cast<DWORD>(_wtoi(argv[1])));
    CloseClipboard();
    return 0;
}
