#pragma once
// The one way to the user's browser: the shell's open operation, for
// absolute http(s) addresses only.
#include <windows.h>

#include <string_view>

namespace tessivar {

// Hands `address` to the shell to open in the user's browser, unless it is
// anything but an absolute http:// or https:// address, which never reaches
// the shell. Returns whether it was handed over; the shell's result is not
// examined.
bool open_web_address(HWND owner, std::wstring_view address);

// The shell's open function. Tests put a stand-in here that records every
// call; it returns the function it replaces.
using ShellOpen = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
ShellOpen replace_shell_open(ShellOpen open);

}  // namespace tessivar
