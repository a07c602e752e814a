#pragma once
// The dialog keys (Tab, Shift+Tab, Enter, Esc, arrows among buttons) for
// the program's own top-level windows: each window that wants them says so
// when it is made, and the message loops pass every message through here.
#include <windows.h>

namespace tessivar {

// `window` takes the dialog keys, after `keys` (an accelerator table, or
// none) translated for it, until it is destroyed or let go.
void take_dialog_keys(HWND window, HACCEL keys = nullptr);
void let_go_dialog_keys(HWND window);

// One message as the program's loops handle it: the keys of the window it
// is for, where that window took them, the rest translated and dispatched.
void dispatch_message(const MSG& msg);

}  // namespace tessivar
