// FormCreate: fills the twelve choice lists once the window is built.
#include "form/choice_lists.h"
#include "form/main_window.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

// In the order of choice_lists().
constexpr HWND TFMain::*kComboBoxes[] = {
    &TFMain::ComboBox1, &TFMain::ComboBox2, &TFMain::ComboBox3,  &TFMain::ComboBox4,
    &TFMain::ComboBox5, &TFMain::ComboBox6, &TFMain::ComboBox7,  &TFMain::ComboBox8,
    &TFMain::ComboBox9, &TFMain::ComboBox10, &TFMain::ComboBox11, &TFMain::ComboBox12,
};

// Empties the text, the list and the choice: emptying the list alone would
// leave the text as it was.
void clear_combo(HWND box) {
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    SetWindowTextW(box, L"");
}

void add_item(HWND box, std::string_view item) {
    const std::wstring text = widen(item);
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

void TFMain::FormCreate() {
    const auto lists = choice_lists();
    for (std::size_t i = 0; i < std::size(kComboBoxes); ++i) {
        HWND box = this->*kComboBoxes[i];
        clear_combo(box);
        for (std::string_view item : lists[i].items) add_item(box, item);
    }
}

}  // namespace tessivar
