#pragma once
// The one place where the core's UTF-8 meets the window system's UTF-16.
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tessivar {

// UTF-8 both ways, where a surrogate without its partner keeps its
// three-byte form, so that any text a control holds comes back unchanged.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The same UTF-16 units as the core's char16_t and the system's wchar_t.
std::wstring as_wide(std::u16string_view units);
std::u16string as_units(std::wstring_view wide);

// A control's whole text, read and written in one operation each.
std::string read_text(HWND control);
// Its first `most` units, the pane's head, cost what they hold, however long the rest.
std::wstring read_wide_text(HWND control, std::size_t most = static_cast<std::size_t>(-1));
void write_text(HWND control, std::string_view utf8);

}  // namespace tessivar
