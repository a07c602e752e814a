#pragma once
// A decoded picture put into a rich edit as a static OLE object: the form
// that Wine 8's riched20 and Windows' msftedit both draw. (Wine reads an
// RTF \dibitmap four bytes past where its pixels begin and leaves an
// \emfblip's picture undrawn; it drops \pngblip and \jpegblip.)
#include <windows.h>
#include <richedit.h>

#include "preview/picture_loader.h"

namespace tessivar {

// Replaces the placeholder's characters with `picture`, drawn `shown`
// pixels large at `dpi`; the selection is left after it. False where the
// system would not make the object: the placeholder then stays.
bool place_picture(HWND rich_edit, CHARRANGE placeholder, const Picture& picture, SIZE shown, int dpi);

}  // namespace tessivar
