#pragma once
// A name for screen readers where a control has no caption to give one.
#include <windows.h>

namespace tessivar {

// From the first time a screen reader asks for `control` on, the system's
// accessibility layer names it `name`, which must outlive the control.
// Where the system cannot annotate controls, nothing changes.
void name_when_asked(HWND control, const wchar_t* name);

}  // namespace tessivar
