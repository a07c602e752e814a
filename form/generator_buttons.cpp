// The "Сформировать код" buttons: take the tab's snapshot from its controls,
// describe it, write both panes, remember what the tab's boxes held and
// add the press to the journal; and the two copy buttons.
#include <utility>

#include "form/main_window.h"
#include "generators/map.h"
#include "generators/model.h"
#include "generators/sound.h"
#include "generators/texture.h"
#include "output/date_text.h"
#include "output/pane.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

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

}  // namespace

void TFMain::Button1Click() {
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
    show(*this, describe_map(std::move(tab)));
    quick_fill_.record(Parent::TabSheet1);
    keeping_.pressed(Tab::Maps);
}

void TFMain::Button9Click() {
    SoundTab tab;
    tab.Edit8 = read_text(Edit8);
    tab.Edit9 = read_text(Edit9);
    tab.ComboBox12 = read_text(ComboBox12);
    tab.ComboBox9 = read_text(ComboBox9);
    tab.ComboBox10 = read_text(ComboBox10);
    tab.ComboBox11 = read_text(ComboBox11);
    tab.Edit11 = read_text(Edit11);
    tab.Memo6 = memo(Memo6);
    show(*this, describe_sound(std::move(tab)));
    quick_fill_.record(Parent::TabSheet2);
    keeping_.pressed(Tab::Sounds);
}

void TFMain::Button3Click() {
    ModelTab tab;
    tab.Edit4 = read_text(Edit4);
    tab.Edit5 = read_text(Edit5);
    tab.CheckBox2 = checked(CheckBox2);
    tab.DateTimePicker2 = date_if_checked(tab.CheckBox2, DateTimePicker2);
    tab.Memo2 = memo(Memo2);
    tab.Memo5 = memo(Memo5);
    tab.Memo3 = memo(Memo3);
    show(*this, describe_model(std::move(tab)));
    quick_fill_.record(Parent::TabSheet3);
    keeping_.pressed(Tab::Models);
}

void TFMain::Button2Click() {
    TextureTab tab;
    tab.Edit3 = read_text(Edit3);
    tab.Edit6 = read_text(Edit6);
    tab.CheckBox3 = checked(CheckBox3);
    tab.DateTimePicker3 = date_if_checked(tab.CheckBox3, DateTimePicker3);
    tab.ComboBox7 = read_text(ComboBox7);
    tab.ComboBox8 = read_text(ComboBox8);
    tab.Memo4 = memo(Memo4);
    show(*this, describe_texture(std::move(tab)));
    quick_fill_.record(Parent::TabSheet4);
    keeping_.pressed(Tab::Textures);
}

void TFMain::Button7Click() { copy_pane(Disc1); }

void TFMain::Button8Click() { copy_pane(Disc2); }

}  // namespace tessivar
