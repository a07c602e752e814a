// The "Сформировать код" buttons: read the tab's values from its controls
// as its table lists them, describe them with the template the tab uses,
// write both panes, remember what the tab's boxes held and add the press to
// the journal; and the two copy buttons.
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

TabValues TFMain::tab_values(Tab tab) const {
    TabValues values(tab);
    const auto fields = fields_of(tab);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        HWND control = this->*main_window_row(fields[i].control)->member;
        TabValue& value = values.values[i];
        switch (fields[i].input) {
            case Input::Memo: value.lines = memo_lines(read_text(control)); break;
            case Input::DateToggle: value.ticked = checked(control); break;
            case Input::DatePicker: value.text = date_text(control); break;
            default: value.text = read_text(control);
        }
    }
    return values;
}

Rendered TFMain::render_tab(Tab tab, const TemplateText& text) const { return render_template(text, tab_values(tab)); }

// The user's own template where the tab uses one. One with an error writes
// nothing: the panes keep what they held, and the status bar says why.
bool TFMain::write_description(TabValues values) {
    const Tab tab = values.tab;
    const std::optional<TemplateText> own = template_store_ ? template_store_->in_use_text(tab) : std::nullopt;
    if (!own) {
        show(*this, describe(std::move(values)));
        return true;
    }
    const Rendered rendered = render_template(*own, values);
    if (const auto* error = std::get_if<TemplateError>(&rendered)) {
        say(StatusBar1, widen(template_error_text(*error)));
        return false;
    }
    say(StatusBar1, status_note_);  // the error of a press before is gone
    show(*this, std::get<Description>(rendered));
    return true;
}

// A press that wrote its description is remembered and goes to the journal.
void TFMain::press(Tab tab) {
    if (!write_description(tab_values(tab))) return;
    quick_fill_.record(tab);
    keeping_.pressed(tab);
}

void TFMain::Button1Click() { press(Tab::Maps); }

void TFMain::Button9Click() { press(Tab::Sounds); }

void TFMain::Button3Click() { press(Tab::Models); }

void TFMain::Button2Click() { press(Tab::Textures); }

void TFMain::Button7Click() { copy_pane(Disc1); }

void TFMain::Button8Click() { copy_pane(Disc2); }

}  // namespace tessivar
