// The "Очистить" buttons: each empties the fields a user types into on its
// tab. Choices that are not typed (the landscape, the dates and their
// toggles) stay as they were, and no starting text comes back.
#include "form/main_window.h"

#include <commctrl.h>

#include <span>

namespace tessivar {
namespace {

using Field = HWND TFMain::*;

constexpr Field kMapFields[] = {
    &TFMain::Edit2,     &TFMain::ComboBox1, &TFMain::Edit1,        &TFMain::ComboBox2,
    &TFMain::ComboBox3, &TFMain::ComboBox4, &TFMain::ComboBox5,    &TFMain::LabeledEdit2,
    &TFMain::Memo1,     &TFMain::Edit7,
};
constexpr Field kSoundFields[] = {
    &TFMain::Edit8,      &TFMain::Edit9,      &TFMain::ComboBox9, &TFMain::ComboBox10,
    &TFMain::ComboBox11, &TFMain::ComboBox12, &TFMain::Memo6,
};
constexpr Field kModelFields[] = {
    &TFMain::Edit4, &TFMain::Edit5, &TFMain::Memo2, &TFMain::Memo5, &TFMain::Memo3,
};
constexpr Field kTextureFields[] = {
    &TFMain::Memo4, &TFMain::Edit3, &TFMain::Edit6, &TFMain::ComboBox7, &TFMain::ComboBox8,
};

bool is_combo(HWND control) {
    wchar_t window_class[16] = {};
    GetClassNameW(control, window_class, static_cast<int>(std::size(window_class)));
    return lstrcmpiW(window_class, WC_COMBOBOXW) == 0;
}

// A combo keeps its list; only the choice goes, or its list would still
// mark the item that was picked.
void empty(HWND field) {
    if (is_combo(field)) SendMessageW(field, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(field, L"");
}

void empty_fields(TFMain& form, std::span<const Field> fields) {
    for (Field field : fields) empty(form.*field);
}

}  // namespace

void TFMain::Button4Click() { empty_fields(*this, kMapFields); }

void TFMain::Button10Click() { empty_fields(*this, kSoundFields); }

void TFMain::Button5Click() { empty_fields(*this, kModelFields); }

void TFMain::Button6Click() { empty_fields(*this, kTextureFields); }

}  // namespace tessivar
