// The date toggles: a picker takes part only while its toggle is ticked.
// Pointing at a toggle explains it in the status bar; the free area of the
// maps page takes the explanation away again.
#include "form/main_window.h"

#include <commctrl.h>

#include <string>

#include "tabs/fields.h"

namespace tessivar {
namespace {

constexpr int kHintPanel = 1;
constexpr wchar_t kToggleHint[] = L"Если вы не знаете дату выхода версии то снимите галочку.";

// Mouse moves come many times a second: the panel is repainted only when
// its text really changes.
void show_hint(HWND status_bar, const wchar_t* hint) {
    if (status_panel_text(status_bar, kHintPanel) == hint) return;
    SendMessageW(status_bar, SB_SETTEXTW, kHintPanel, reinterpret_cast<LPARAM>(hint));
}

}  // namespace

// A tab has one date at most, with its toggle.
void TFMain::CheckBox1Click() {
    for (Tab tab : kTabs) {
        HWND toggle = nullptr, picker = nullptr;
        for (const TabField& field : fields_of(tab)) {
            if (field.input == Input::DateToggle) toggle = control(field.control);
            if (field.input == Input::DatePicker) picker = control(field.control);
        }
        if (picker) EnableWindow(picker, checked(toggle));
    }
}

void TFMain::CheckBox1MouseMove() { show_hint(StatusBar1, kToggleHint); }

void TFMain::TabSheet1MouseMove() { show_hint(StatusBar1, status_note_.c_str()); }

void TFMain::show_status_note(std::wstring note) {
    status_note_ = std::move(note);
    show_hint(StatusBar1, status_note_.c_str());
}

}  // namespace tessivar
