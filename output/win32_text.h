#pragma once
// The one place where the core's UTF-8 meets the window system's UTF-16.
#include <windows.h>

#include <string>
#include <string_view>

namespace tessivar {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// A control's whole text, read and written in one operation each.
std::string read_text(HWND control);
std::wstring read_wide_text(HWND control);
void write_text(HWND control, std::string_view utf8);

}  // namespace tessivar
