#pragma once
// The date a picker shows, as text in the user's short date format.
#include <windows.h>

#include <string>

namespace tessivar {

// Reads the regional settings at each call, so a change shows at the next
// press. The time of day is never part of it.
std::string date_text(HWND picker);

}  // namespace tessivar
