#include "output/pane.h"

#include "output/win32_text.h"

namespace tessivar {

void write_pane(HWND pane, const Lines& lines) { write_text(pane, pane_text(lines)); }

void copy_pane(HWND pane) {
    SendMessageW(pane, EM_SETSEL, 0, -1);
    SendMessageW(pane, WM_COPY, 0, 0);
}

}  // namespace tessivar
