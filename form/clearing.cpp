// The "Очистить" buttons: each empties the fields its tab's table marks,
// those a user types into. Choices that are not typed (the landscape, the
// dates and their toggles) stay as they were, and no starting text comes back.
#include "form/main_window.h"

#include "tabs/fields.h"

namespace tessivar {
namespace {

// A combo keeps its list; only the choice goes, or its list would still
// mark the item that was picked.
void empty(HWND field, Input input) {
    if (input == Input::Combo || input == Input::DropList) SendMessageW(field, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(field, L"");
}

void empty_fields(TFMain& form, Tab tab) {
    for (const TabField& field : fields_of(tab)) {
        if (field.cleared) empty(form.control(field.control), field.input);
    }
}

}  // namespace

void TFMain::Button4Click() { empty_fields(*this, Tab::Maps); }

void TFMain::Button10Click() { empty_fields(*this, Tab::Sounds); }

void TFMain::Button5Click() { empty_fields(*this, Tab::Models); }

void TFMain::Button6Click() { empty_fields(*this, Tab::Textures); }

}  // namespace tessivar
