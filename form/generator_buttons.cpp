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

std::wstring refused_press_text(const std::wstring& name, const TemplateError& error) {
    return L"Описания не изменены: ошибка в оформлении «" + name + L"» (" + (error.in_full ? L"полное" : L"краткое") +
           L", строка " + std::to_wstring(error.line) + L", знак " + std::to_wstring(error.column) + L").";
}

// A press refused for its layout's error: which layout, where the error
// stands and that the panes are as they were. What the error is, the layouts
// window says: here the panel's width allows no more, and a long name is
// shortened until the text fits it.
std::wstring refused_press_fitted(HWND status_bar, const std::string& layout, const TemplateError& error) {
    RECT panel{};
    SendMessageW(status_bar, SB_GETRECT, kMessagePanel, reinterpret_cast<LPARAM>(&panel));
    int borders[3] = {};  // the text stands inside the panel's edges
    SendMessageW(status_bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const LONG room = panel.right - panel.left - 2 * (borders[0] + borders[2]);
    const TextMeasure measure(reinterpret_cast<HFONT>(SendMessageW(status_bar, WM_GETFONT, 0, 0)));
    std::wstring name = widen(layout);
    std::wstring text = refused_press_text(name, error);
    while (!name.empty() && measure.size(text.c_str()).cx > room) {
        name.pop_back();
        if (!name.empty() && IS_HIGH_SURROGATE(name.back())) name.pop_back();
        text = refused_press_text(name + L"…", error);
    }
    return text;
}

}  // namespace

TabValues TFMain::tab_values(Tab tab) const {
    TabValues values(tab);
    const auto fields = fields_of(tab);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        HWND control = this->control(fields[i].control);
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
// nothing: the panes keep what they held, and the status bar says so.
bool TFMain::write_description(TabValues values) {
    const Tab tab = values.tab;
    const std::optional<TemplateText> own = template_store_ ? template_store_->in_use_text(tab) : std::nullopt;
    if (!own) {
        show(*this, describe(std::move(values)));
        return true;
    }
    const Rendered rendered = render_template(*own, values);
    if (const auto* error = std::get_if<TemplateError>(&rendered)) {
        say(StatusBar1, refused_press_fitted(StatusBar1, template_store_->in_use(tab), *error));
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
