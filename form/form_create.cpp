// FormCreate: fills the twelve choice lists once the window is built; they
// come empty from their definition rows.
#include "form/choice_lists.h"
#include "form/main_window.h"
#include "form/main_window_build.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

void add_item(HWND box, std::string_view item) {
    const std::wstring text = widen(item);
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

void TFMain::FormCreate() {
    const auto lists = choice_lists();
    const auto boxes = choice_list_boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        HWND box = this->*boxes[i];
        for (std::string_view item : lists[i].items) add_item(box, item);
    }
}

}  // namespace tessivar
