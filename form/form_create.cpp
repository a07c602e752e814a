// FormCreate: fills the twelve choice lists once the window is built; they
// come empty from their definition rows.
#include "form/main_window.h"
#include "output/win32_text.h"
#include "tabs/choice_lists.h"

namespace tessivar {

void TFMain::FormCreate() {
    for (const ChoiceList& list : choice_lists()) {
        HWND box = control(list.combo);
        for (std::string_view item : list.items) {
            const std::wstring text = widen(item);
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
}

}  // namespace tessivar
