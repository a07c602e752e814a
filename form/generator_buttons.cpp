// The "Сформировать код" buttons: take the tab's snapshot from its controls,
// describe it with the template the tab uses, write both panes, remember
// what the tab's boxes held and add the press to the journal; and the two
// copy buttons.
#include "form/main_window.h"

#include <commctrl.h>

#include <utility>

#include "output/date_text.h"
#include "output/pane.h"
#include "output/win32_text.h"
#include "store/templates.h"

namespace tessivar {
namespace {

// The status bar's panel that explains.
constexpr int kMessagePanel = 1;

Lines memo(HWND box) { return memo_lines(read_text(box)); }

// The picker is read only when its toggle asks for the date.
std::string date_if_checked(bool is_checked, HWND picker) {
    return is_checked ? date_text(picker) : std::string{};
}

// A multi-line box reports no change of a text set whole: the preview is told here.
void show(TFMain& form, const Description& description) {
    write_pane(form.Disc1, description.short_lines);
    write_pane(form.Disc2, description.full_lines);
    form.Disc1Change();
}

void say(HWND status_bar, const std::wstring& text) {
    SendMessageW(status_bar, SB_SETTEXTW, kMessagePanel, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

MapTab TFMain::map_tab() const {
    MapTab tab;
    tab.Edit2 = read_text(Edit2);
    tab.ComboBox1 = read_text(ComboBox1);
    tab.Edit1 = read_text(Edit1);
    tab.CheckBox1 = checked(CheckBox1);
    tab.DateTimePicker1 = date_if_checked(tab.CheckBox1, DateTimePicker1);
    tab.ComboBox2 = read_text(ComboBox2);
    tab.ComboBox3 = read_text(ComboBox3);
    tab.ComboBox4 = read_text(ComboBox4);
    tab.ComboBox5 = read_text(ComboBox5);
    tab.ComboBox6 = read_text(ComboBox6);
    tab.LabeledEdit2 = read_text(LabeledEdit2);
    tab.Memo1 = memo(Memo1);
    tab.Edit7 = read_text(Edit7);
    return tab;
}

SoundTab TFMain::sound_tab() const {
    SoundTab tab;
    tab.Edit8 = read_text(Edit8);
    tab.Edit9 = read_text(Edit9);
    tab.ComboBox12 = read_text(ComboBox12);
    tab.ComboBox9 = read_text(ComboBox9);
    tab.ComboBox10 = read_text(ComboBox10);
    tab.ComboBox11 = read_text(ComboBox11);
    tab.Edit11 = read_text(Edit11);
    tab.Memo6 = memo(Memo6);
    return tab;
}

ModelTab TFMain::model_tab() const {
    ModelTab tab;
    tab.Edit4 = read_text(Edit4);
    tab.Edit5 = read_text(Edit5);
    tab.CheckBox2 = checked(CheckBox2);
    tab.DateTimePicker2 = date_if_checked(tab.CheckBox2, DateTimePicker2);
    tab.Memo2 = memo(Memo2);
    tab.Memo5 = memo(Memo5);
    tab.Memo3 = memo(Memo3);
    return tab;
}

TextureTab TFMain::texture_tab() const {
    TextureTab tab;
    tab.Edit3 = read_text(Edit3);
    tab.Edit6 = read_text(Edit6);
    tab.CheckBox3 = checked(CheckBox3);
    tab.DateTimePicker3 = date_if_checked(tab.CheckBox3, DateTimePicker3);
    tab.ComboBox7 = read_text(ComboBox7);
    tab.ComboBox8 = read_text(ComboBox8);
    tab.Memo4 = memo(Memo4);
    return tab;
}

Rendered TFMain::render_tab(Tab tab, const TemplateText& text) const {
    switch (tab) {
        case Tab::Maps:
            return render_template(text, map_tab());
        case Tab::Sounds:
            return render_template(text, sound_tab());
        case Tab::Models:
            return render_template(text, model_tab());
        case Tab::Textures:
            break;
    }
    return render_template(text, texture_tab());
}

// The user's own template where the tab uses one. One with an error writes
// nothing: the panes keep what they held, and the status bar says why.
template <class Snapshot>
bool TFMain::write_description(Tab tab, Snapshot snapshot, Description (*describe)(Snapshot)) {
    const std::optional<TemplateText> own = template_store_ ? template_store_->in_use_text(tab) : std::nullopt;
    if (!own) {
        show(*this, describe(std::move(snapshot)));
        return true;
    }
    const Rendered rendered = render_template(*own, snapshot);
    if (const auto* error = std::get_if<TemplateError>(&rendered)) {
        say(StatusBar1, widen(template_error_text(*error)));
        return false;
    }
    say(StatusBar1, status_note_);  // the error of a press before is gone
    show(*this, std::get<Description>(rendered));
    return true;
}

// A press that wrote its description is remembered and goes to the journal.
void TFMain::pressed(Tab tab, bool written) {
    if (!written) return;
    constexpr Parent pages[] = {Parent::TabSheet1, Parent::TabSheet2, Parent::TabSheet3, Parent::TabSheet4};
    quick_fill_.record(pages[static_cast<int>(tab)]);
    keeping_.pressed(tab);
}

void TFMain::Button1Click() { pressed(Tab::Maps, write_description(Tab::Maps, map_tab(), describe_map)); }

void TFMain::Button9Click() { pressed(Tab::Sounds, write_description(Tab::Sounds, sound_tab(), describe_sound)); }

void TFMain::Button3Click() { pressed(Tab::Models, write_description(Tab::Models, model_tab(), describe_model)); }

void TFMain::Button2Click() {
    pressed(Tab::Textures, write_description(Tab::Textures, texture_tab(), describe_texture));
}

void TFMain::Button7Click() { copy_pane(Disc1); }

void TFMain::Button8Click() { copy_pane(Disc2); }

}  // namespace tessivar
