#pragma once
// The description panes: multi-line edit controls that the generators fill
// and the copy buttons put on the clipboard.
#include <windows.h>

#include "output/description.h"

namespace tessivar {

// Replaces the pane's whole text with `lines`, CR LF after every line, in one
// operation: a press costs time linear in the text, not in the line count.
void write_pane(HWND pane, const Lines& lines);

// Selects the pane's whole text and copies it through the edit control's own
// copy; the selection stays on the whole text. While another program holds
// the clipboard open it retries for about a second, the windows answering
// meanwhile; then it gives up, leaving the clipboard as it was. A close
// while it waits ends the wait at once.
void copy_pane(HWND pane);

}  // namespace tessivar
