#pragma once
// «Оформление описаний»: the templates of the tab the main window shows,
// the built-in one and the user's own; editing them with their errors and
// what they give for the tab's fields as they are typed; choosing the one
// the tab's press writes with; sharing one as a file. Modeless, owned by
// the main window, made the first time it is asked for.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tabs/tab.h"
#include "win32/window.h"
#include "templates/template.h"

namespace tessivar {

class TFMain;
namespace store {
class TemplateStore;
}

inline constexpr wchar_t kTemplateWindowClass[] = L"TFTemplates";
inline constexpr wchar_t kTemplateWindowTitle[] = L"Оформление описаний";
inline constexpr SIZE kTemplateWindowDesignClient = {760, 540};
// The boxes and lists a few lines high, the labels whole.
inline constexpr SIZE kTemplateWindowLeastClient = {480, 420};
// Typing is saved, checked and shown this long after its last keystroke.
inline constexpr UINT kTemplateEditDelayMs = 300;
// A save the file refused is tried again after this long, twice as long
// after each refusal, up to the longest.
inline constexpr UINT kTemplateRetryFirstMs = 500;
inline constexpr UINT kTemplateRetryLongestMs = 8000;

class TFTemplates : public OpenedWindow {
public:
    // `store` may be null where the database file cannot be used: then only
    // the built-in templates are shown.
    TFTemplates(TFMain& main, store::TemplateStore* store);
    ~TFTemplates() override;

    // Brings the window to the front with the main window's tab, which it
    // then follows.
    void show() override;

    HWND ListLabel{}, TemplateList{}, NewButton{}, RenameButton{}, DeleteButton{}, UseButton{};
    HWND FieldsLabel{}, FieldList{}, SaveButton{}, LoadButton{};
    HWND ShortLabel{}, ShortBox{}, FullLabel{}, FullBox{}, ErrorLine{}, ResultLabel{}, ResultBox{};

private:
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void on_command(HWND control, int code);

    bool create();
    void lay_out() override;
    void density_taken() override;
    void close() override;
    void show_tab(Tab tab);

    // The list of the tab's templates, `selected` chosen in it.
    void fill_list(const std::string& selected);
    void fill_fields();
    void select(std::size_t index);
    bool builtin_selected() const { return selected_ == 0; }
    const std::string& selected_name() const { return names_[selected_]; }
    TemplateText typed() const;
    // The template as the user last saw it: their edit the file has not taken yet, or the file's.
    TemplateText held_or_kept(const std::string& name) const;
    void edited();
    // The typing, if any, among the held edits.
    void hold_typed();
    // The typing held, then every held edit written: whether none is left.
    bool keep_typed();
    bool write_held();
    void retry_later();
    void forget_held(const std::string& name);
    // What the typing gives for the tab's fields as they are, or its error.
    Rendered typed_rendered() const;
    void show_check_and_result();
    void insert_field();
    void say(const std::wstring& text);
    // The error after `before`, its place kept for going there.
    void say_error(const std::wstring& before, const TemplateError& error);
    // The caret at the shown error's place in its box.
    void go_to_error();
    static LRESULT CALLBACK on_error_line_message(HWND line, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                                  DWORD_PTR self);

    void add_new();
    void rename_selected();
    void delete_selected();
    void use_selected();
    void save_to_file();
    void load_from_file();
    std::vector<std::string> user_names() const;

    TFMain& main_;
    store::TemplateStore* store_;
    Tab tab_ = Tab::Maps;
    std::vector<std::string> names_;  // as listed; the first, empty, is the built-in one
    std::size_t selected_ = 0;
    HWND last_layout_box_{};  // where a field's name goes
    bool filling_ = false;    // the program, not the user, is changing the boxes
    bool edit_pending_ = false;
    std::optional<TemplateError> shown_error_;  // what the error line says, while it says it
    // Edits the file refused (another copy holds it, say): kept here and
    // retried until it takes them, also once the window is closed.
    struct HeldEdit {
        Tab tab;
        std::string name;
        TemplateText text;
    };
    std::vector<HeldEdit> held_;
    UINT retry_ms_ = kTemplateRetryFirstMs;
};

}  // namespace tessivar
