#include "output/date_text.h"

#include <commctrl.h>

#include "output/win32_text.h"

namespace tessivar {

std::string date_text(HWND picker) {
    SYSTEMTIME date{};
    DateTime_GetSystemtime(picker, &date);
    wchar_t text[128];
    const int written = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr,
                                        text, static_cast<int>(std::size(text)), nullptr);
    return written > 1 ? narrow({text, static_cast<std::size_t>(written - 1)}) : std::string{};
}

}  // namespace tessivar
