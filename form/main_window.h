#pragma once
// The main window: four content tabs on the left, the two description panes
// on the right, the status bar below. The window's own controls are members
// by name; a tab's fields are found by theirs.
#include <windows.h>

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "form/control_row.h"
#include "form/form_keeping.h"
#include "form/menu_bar.h"
#include "form/quick_fill.h"
#include "tabs/values.h"
#include "win32/beside.h"
#include "win32/window.h"
#include "templates/template.h"

namespace tessivar {

namespace store {
class TemplateStore;
}

class TFMain : public Window {
public:
    // Builds the window and its controls from the definition, then runs
    // FormCreate. The window stays hidden until the application shows it.
    // The bar shows `menu`, which must outlive the window.
    explicit TFMain(HWND owner, std::span<const MenuTitle> menu = {});
    ~TFMain() override;

    void select_page(int index);
    Tab shown_tab() const;
    // Ctrl+Tab and Ctrl+PageDown show the next page, Ctrl+Shift+Tab and
    // Ctrl+PageUp the previous one, as in any tabbed form; the message loop
    // translates them for this window.
    static HACCEL page_keys();

    void FormCreate();
    void Button1Click();  // map description
    void Button9Click();  // sound description
    void Button3Click();  // model description
    void Button2Click();  // texture description
    void Button7Click();  // copy the short description
    void Button8Click();  // copy the full description
    void Button4Click();  // clear the maps tab
    void Button10Click();  // clear the sounds tab
    void Button5Click();  // clear the models tab
    void Button6Click();  // clear the textures tab
    void CheckBox1Click();      // every date toggle
    void CheckBox1MouseMove();  // every date toggle
    void TabSheet1MouseMove();
    void Action1Execute();  // About
    void Action2Execute();  // preview
    void Action3Execute();  // exit
    void Action4Execute();  // the program's site
    void Action5Execute();  // the content site
    void Action6Execute();  // remember what was typed, or forget it all
    bool Action6Checked();
    void Action7Execute();  // the journal of descriptions
    // The About window Action1 shows; made after this one, by the application.
    void set_about(ModalWindow* about) { about_ = about; }
    // What the text boxes offer and record; none, they remember nothing.
    void set_histories(Histories* histories) { quick_fill_.set_histories(histories); }
    // The preview Action2 shows; it follows the panes, told of each change.
    void set_preview(OpenedWindow* preview) { preview_ = preview; }
    // Its window, once it was first shown.
    HWND preview_window() const { return preview_ ? preview_->handle() : nullptr; }
    // The journal Action7 shows.
    void set_journal(OpenedWindow* journal) { journal_ = journal; }
    // The form kept in the database, and the journal's entries added at each press.
    FormKeeping& keeping() { return keeping_; }
    void Disc1Change();  // either pane's text changed
    void Action8Execute();  // the templates window
    // The templates the presses write with, and the window that edits them;
    // without a store, the built-in ones.
    void set_templates(store::TemplateStore* store, OpenedWindow* window) {
        template_store_ = store;
        templates_ = window;
    }
    // What the tab's fields as they stand give with `text`.
    Rendered render_tab(Tab tab, const TemplateText& text) const;
    // A note for the whole run in the status bar's middle panel, such as why
    // nothing is kept: a hint covers it for a while, clearing the hint shows
    // it again.
    void show_status_note(std::wstring note);

    HWND ActionMainMenuBar1{};

    HWND Label12{}, PageControl1{}, Disc1{}, Button7{}, Label13{}, Disc2{}, Button8{}, StatusBar1{};
    HWND TabSheet1{}, TabSheet2{}, TabSheet3{}, TabSheet4{};
    HWND Button1{}, Button4{}, Button9{}, Button10{}, Button3{}, Button5{}, Button2{}, Button6{};
    // A control by its name: a tab's field (`Edit2`), the label naming one
    // (`Label11`); none for a name no row has.
    HWND control(std::string_view name) const;
    HWND control(const ControlRow& row) const;  // a row of main_window_rows()

private:
    static LRESULT CALLBACK page_proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    LayoutScale scale_at(int dpi) const override;
    void lay_out() override;
    void density_taken() override;
    void close() override;
    LRESULT on_page_message(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

    void build();
    void start_layout();
    Bounds place(const ControlRow& row, const TextMeasure& measure) const;
    void anchor(const ControlRow& row, HWND control, Bounds b);
    std::size_t page_index(HWND page) const;
    void create_control(const ControlRow& row, Bounds bounds, int id);
    HWND parent_of(const ControlRow& row) const;
    std::array<HWND, kTabCount> pages() const { return {TabSheet1, TabSheet2, TabSheet3, TabSheet4}; }
    Anchoring& anchoring_of(Parent parent);
    void on_command(int id, int code);
    void step_page(int step);
    void on_resize();
    LONG menu_bottom() const;
    TabValues tab_values(Tab tab) const;
    bool write_description(TabValues values);
    void press(Tab tab);

    std::span<const MenuTitle> menu_;
    std::vector<HWND> controls_;  // one for each row of the definition, in its order
    HWND tooltip_{};
    SIZE laid_out_for_{};  // the client size the window's controls stand for
    std::array<Anchoring, kTabCount> page_anchors_;
    ModalWindow* about_{};
    QuickFill quick_fill_{*this};
    OpenedWindow* preview_{};
    store::TemplateStore* template_store_{};
    OpenedWindow* templates_{};
    std::wstring status_note_;
    OpenedWindow* journal_{};
    FormKeeping keeping_{*this};
    Beside beside_;
};

// The window definition: one row per control.
std::span<const ControlRow> main_window_rows();
// The row of the control a tab's table or the kept form names; none for a window.
const ControlRow* main_window_row(std::string_view name);
// The caption of the tab's page.
const wchar_t* page_caption(Tab tab);

}  // namespace tessivar
