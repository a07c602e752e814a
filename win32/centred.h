#pragma once
// Questions and dialogs over the window that asks: the system centres a
// message box on the screen, and a file dialog where it last stood.
#include <windows.h>

#include <string>

namespace tessivar {

// While it lives, the next dialog `owner` owns that this thread activates
// is centred on `owner`, wholly on the owner's monitor.
class CentredOn {
public:
    explicit CentredOn(HWND owner);
    ~CentredOn();
    CentredOn(const CentredOn&) = delete;
    CentredOn& operator=(const CentredOn&) = delete;

private:
    HHOOK hook_{};
    HWND previous_owner_{};
};

// A message box owned by `owner`, centred on it: the button chosen.
int ask(HWND owner, const std::wstring& text, const wchar_t* title, UINT type);

}  // namespace tessivar
