#include "template_window/template_window.h"

#include <commctrl.h>

#include <algorithm>
#include <variant>

#include "form/main_window.h"
#include "output/description.h"
#include "output/win32_text.h"
#include "store/templates.h"
#include "template_window/file_dialogs.h"
#include "template_window/name_prompt.h"
#include "templates/template_file.h"
#include "win32/centred.h"
#include "win32/messages.h"

namespace tessivar {
namespace {

constexpr UINT_PTR kEditTimer = 1;
constexpr UINT_PTR kRetryTimer = 2;
constexpr wchar_t kNotSaved[] = L"Не сохранено: файл базы данных недоступен.";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFocus = WS_TABSTOP;
constexpr DWORD kList = kFocus | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kLayoutBox =
    kFocus | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
constexpr DWORD kSunken = WS_EX_CLIENTEDGE;
constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
// Drawn as a label, but it takes the focus, so that Enter on it goes to the
// error's place; a long message scrolls rather than being cut.
constexpr DWORD kErrorLine = kFocus | ES_READONLY | ES_AUTOHSCROLL;
constexpr unsigned kLTB = kLeft | kTop | kBottom;
constexpr unsigned kLTR = kLeft | kTop | kRight;
constexpr unsigned kLRB = kLeft | kRight | kBottom;

// One row per control.
constexpr WindowRow<TFTemplates> kRows[] = {
    {&TFTemplates::ListLabel, WC_STATICW, kLabel, 0, {8, 8, 200, 13}, L"Оформления вкладки:"},
    {&TFTemplates::TemplateList, WC_LISTBOXW, kList, kSunken, {8, 24, 200, 140}},
    {&TFTemplates::NewButton, WC_BUTTONW, kFocus, 0, {8, 170, 98, 25}, L"Новое"},
    {&TFTemplates::RenameButton, WC_BUTTONW, kFocus, 0, {110, 170, 98, 25}, L"Переименовать"},
    {&TFTemplates::DeleteButton, WC_BUTTONW, kFocus, 0, {8, 198, 98, 25}, L"Удалить"},
    {&TFTemplates::UseButton, WC_BUTTONW, kFocus, 0, {110, 198, 98, 25}, L"Использовать"},
    {&TFTemplates::ShortLabel, WC_STATICW, kLabel, 0, {216, 8, 536, 13}, L"Краткое описание:", kLTR},
    {&TFTemplates::ShortBox, WC_EDITW, kLayoutBox, kSunken, {216, 24, 536, 110}, L"", kLTR, true},
    {&TFTemplates::FullLabel, WC_STATICW, kLabel, 0, {216, 140, 536, 13}, L"Полное описание:", kLTR},
    {&TFTemplates::FullBox, WC_EDITW, kLayoutBox, kSunken, {216, 156, 536, 190}, L"", kAllEdges, true},
    {&TFTemplates::FieldsLabel, WC_STATICW, kLabel, 0, {8, 232, 200, 13}, L"Поля (Enter вставляет):"},
    {&TFTemplates::FieldList, WC_LISTBOXW, kList, kSunken, {8, 248, 200, 220}, L"", kLTB},
    {&TFTemplates::SaveButton, WC_BUTTONW, kFocus, 0, {8, 476, 200, 25}, L"Сохранить в файл…", kLeft | kBottom},
    {&TFTemplates::LoadButton, WC_BUTTONW, kFocus, 0, {8, 506, 200, 25}, L"Загрузить из файла…", kLeft | kBottom},
    {&TFTemplates::ErrorLine, WC_EDITW, kErrorLine, 0, {216, 352, 536, 16}, L"Ошибок нет", kLRB},
    {&TFTemplates::ResultLabel, WC_STATICW, kLabel, 0, {216, 374, 536, 13}, L"Что получится из полей вкладки:", kLRB},
    {&TFTemplates::ResultBox, WC_EDITW, kLayoutBox | ES_READONLY, kSunken, {216, 390, 536, 142}, L"", kLRB, true},
};

constexpr std::wstring_view kInUseMark = L" (используется)";

void write_box(HWND box, std::string_view template_text) { write_text(box, lines_with_crlf(template_text)); }

std::string read_box(HWND box) { return lines_with_lf(read_text(box)); }

// Both descriptions as the panes would hold them, a blank line between.
std::string result_text(const Description& description) {
    return pane_text(description.short_lines) + "\r\n" + pane_text(description.full_lines);
}

// The first `most` units of the box's line. EM_GETLINE reads its room from
// the buffer's first unit, so the buffer holds one unit at least.
std::wstring line_head(HWND box, WPARAM line, std::size_t most) {
    std::wstring text(std::max<std::size_t>(most, 1), L'\0');
    *reinterpret_cast<WORD*>(text.data()) = static_cast<WORD>(text.size());
    const LRESULT copied = SendMessageW(box, EM_GETLINE, line, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::min(static_cast<std::size_t>(copied), most));
    return text;
}

// Whether the text before the caret, on its line, opens a tag it has not
// closed: a brace that is not a literal `{{`.
bool in_open_tag(HWND box) {
    DWORD caret = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    const auto line = SendMessageW(box, EM_LINEFROMCHAR, caret, 0);
    const auto line_start = static_cast<DWORD>(SendMessageW(box, EM_LINEINDEX, line, 0));
    const std::wstring before = line_head(box, line, caret - line_start);
    const std::size_t open = before.rfind(L'{');
    if (open == std::wstring::npos || (open > 0 && before[open - 1] == L'{')) return false;
    const std::size_t close = before.rfind(L'}');
    return close == std::wstring::npos || close < open;
}

// The box's character index of an error's line and column, which count a
// character outside the BMP as one; past the box's end, its end.
LRESULT character_index(HWND box, const TemplateError& error) {
    const auto line = static_cast<WPARAM>(error.line - 1);
    const LRESULT line_start = SendMessageW(box, EM_LINEINDEX, line, 0);
    if (line_start < 0) return GetWindowTextLengthW(box);
    const auto length = static_cast<std::size_t>(SendMessageW(box, EM_LINELENGTH, line_start, 0));
    const std::wstring text = line_head(box, line, length);
    std::size_t at = 0;
    for (std::size_t characters = 1; characters < error.column && at < text.size(); ++characters) {
        at += IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() ? 2 : 1;
    }
    return line_start + static_cast<LRESULT>(at);
}

// A name for a loaded file's template that no other of the tab's templates has.
std::string free_name(const std::string& wanted, const std::vector<std::string>& taken) {
    std::string name = wanted.empty() ? std::string("Из файла") : wanted;
    for (int n = 2; store::template_name_problem(name, taken); ++n) name = wanted + " (" + std::to_string(n) + ")";
    return name;
}

// Why a write was not done, for the user: `name` is the template it did not find or the name taken.
std::wstring unwritten_text(store::TemplateWrite outcome, const std::string& name) {
    if (outcome == store::TemplateWrite::Gone) return L"Оформления «" + widen(name) + L"» больше нет: его переименовали или удалили.";
    if (outcome == store::TemplateWrite::Taken) return widen(store::template_name_problem(name, {name}).value_or(""));
    return kNotSaved;
}

}  // namespace

TFTemplates::TFTemplates(TFMain& main, store::TemplateStore* store)
    : OpenedWindow({kTemplateWindowClass, kTemplateWindowTitle, kWindowStyle, WS_EX_CONTROLPARENT,
              kTemplateWindowDesignClient, true, true, kTemplateWindowLeastClient}),
      main_(main),
      store_(store) {}

TFTemplates::~TFTemplates() {
    if (!window_) return;
    keep_typed();  // the last try for what the file refused so far
}

void TFTemplates::show() {
    if (!window_ && !create()) return;
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    if (!IsWindowVisible(window_)) tell_owner_showing();
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    SetFocus(TemplateList);
}

bool TFTemplates::create() {
    if (!Window::create(main_.handle(), {CW_USEDEFAULT, CW_USEDEFAULT}, window_dpi(main_.handle()))) return false;
    make_controls<TFTemplates>(*this, kRows);
    take_place();
    for (const auto& row : kRows) {  // no text is ever cut
        if (std::wstring_view(row.window_class) == WC_EDITW) SendMessageW(this->*row.member, EM_SETLIMITTEXT, 0, 0);
    }
    SetWindowSubclass(ErrorLine, on_error_line_message, 0, reinterpret_cast<DWORD_PTR>(this));
    last_layout_box_ = ShortBox;
    show_tab(main_.shown_tab());
    return true;
}

void TFTemplates::lay_out() { lay_out_controls<TFTemplates>(*this, kRows); }

void TFTemplates::density_taken() { fill_fields(); }  // the names' widths at the new density

void TFTemplates::show_tab(Tab tab) {
    if (edit_pending_) keep_typed();
    tab_ = tab;
    fill_fields();
    fill_list(store_ ? store_->in_use(tab_) : std::string());
}

void TFTemplates::fill_fields() {
    SetWindowTextW(ListLabel, (L"Оформления вкладки «" + std::wstring(page_caption(tab_)) + L"»:").c_str());
    SendMessageW(FieldList, LB_RESETCONTENT, 0, 0);
    const TextMeasure measure(font_);
    LONG widest = 0;
    for (std::string_view name : template_field_names(tab_)) {
        const std::wstring item = widen(name);
        SendMessageW(FieldList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        widest = std::max(widest, measure.size(item.c_str()).cx);
    }
    // A long name scrolls rather than being cut.
    SendMessageW(FieldList, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + scale_.x(6)), 0);
    SendMessageW(FieldList, LB_SETCURSEL, 0, 0);
}

std::vector<std::string> TFTemplates::user_names() const {
    return store_ ? store_->names(tab_) : std::vector<std::string>{};
}

void TFTemplates::fill_list(const std::string& selected) {
    if (edit_pending_) keep_typed();  // under its own name, before the names change
    names_ = user_names();
    names_.insert(names_.begin(), std::string());
    const std::string in_use = store_ ? store_->in_use(tab_) : std::string();
    SendMessageW(TemplateList, LB_RESETCONTENT, 0, 0);
    std::size_t index = 0;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        std::wstring item = widen(i == 0 ? store::kBuiltinTemplateName : names_[i]);
        if (names_[i] == in_use) item += kInUseMark;
        SendMessageW(TemplateList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        if (names_[i] == selected) index = i;
    }
    EnableWindow(NewButton, store_ != nullptr);
    EnableWindow(LoadButton, store_ != nullptr);
    select(index);
}

void TFTemplates::select(std::size_t index) {
    if (edit_pending_) keep_typed();
    selected_ = index;
    SendMessageW(TemplateList, LB_SETCURSEL, index, 0);
    const TemplateText text = builtin_selected() ? builtin_template(tab_) : held_or_kept(selected_name());
    filling_ = true;
    write_box(ShortBox, text.short_text);
    write_box(FullBox, text.full_text);
    filling_ = false;
    // The built-in template is read, copied, never changed.
    SendMessageW(ShortBox, EM_SETREADONLY, builtin_selected(), 0);
    SendMessageW(FullBox, EM_SETREADONLY, builtin_selected(), 0);
    EnableWindow(RenameButton, !builtin_selected());
    EnableWindow(DeleteButton, !builtin_selected());
    EnableWindow(UseButton, store_ && (store_->in_use(tab_) != selected_name()));
    show_check_and_result();
}

TemplateText TFTemplates::typed() const { return {read_box(ShortBox), read_box(FullBox)}; }

TemplateText TFTemplates::held_or_kept(const std::string& name) const {
    for (const HeldEdit& edit : held_) {
        if (edit.tab == tab_ && edit.name == name) return edit.text;
    }
    return store_->find(tab_, name).value_or(TemplateText{});
}

// Coalesced: at most one save and one rendering per delay, however fast the typing.
void TFTemplates::edited() {
    if (filling_ || builtin_selected() || edit_pending_) return;
    edit_pending_ = true;
    SetTimer(window_, kEditTimer, kTemplateEditDelayMs, nullptr);
}

void TFTemplates::hold_typed() {
    if (!edit_pending_) return;
    KillTimer(window_, kEditTimer);
    edit_pending_ = false;
    if (builtin_selected() || !store_) return;
    forget_held(selected_name());
    held_.push_back({tab_, selected_name(), typed()});
}

bool TFTemplates::keep_typed() {
    hold_typed();
    return write_held();
}

// In the order typed; the first refusal ends the try, as the file would
// refuse the rest as well. Until all are written the failure line stays.
bool TFTemplates::write_held() {
    while (!held_.empty()) {
        const HeldEdit& edit = held_.front();
        if (store_->save(edit.tab, edit.name, edit.text) != store::TemplateWrite::Done) {
            say(kNotSaved);
            retry_later();
            return false;
        }
        held_.erase(held_.begin());
    }
    KillTimer(window_, kRetryTimer);
    retry_ms_ = kTemplateRetryFirstMs;
    return true;
}

void TFTemplates::retry_later() {
    SetTimer(window_, kRetryTimer, retry_ms_, nullptr);
    retry_ms_ = std::min(retry_ms_ * 2, kTemplateRetryLongestMs);
}

void TFTemplates::forget_held(const std::string& name) {
    std::erase_if(held_, [&](const HeldEdit& edit) { return edit.tab == tab_ && edit.name == name; });
}

// Some errors only rendering finds (output past its budget): both count.
Rendered TFTemplates::typed_rendered() const {
    const TemplateText text = typed();
    const std::optional<TemplateError> error = check_template(tab_, text);
    return error ? Rendered(*error) : main_.render_tab(tab_, text);
}

void TFTemplates::show_check_and_result() {
    const Rendered rendered = typed_rendered();
    const auto* found = std::get_if<TemplateError>(&rendered);
    write_text(ResultBox, found ? std::string() : result_text(std::get<Description>(rendered)));
    if (!held_.empty()) return say(kNotSaved);  // until the file takes the edit
    if (!found) return say(L"Ошибок нет");
    say_error(L"", *found);
}

void TFTemplates::say(const std::wstring& text) {
    shown_error_.reset();
    SetWindowTextW(ErrorLine, text.c_str());
}

void TFTemplates::say_error(const std::wstring& before, const TemplateError& error) {
    say(before + widen(template_error_text(error)));
    shown_error_ = error;
}

void TFTemplates::go_to_error() {
    if (!shown_error_) return;
    HWND box = shown_error_->in_full ? FullBox : ShortBox;
    const LRESULT at = character_index(box, *shown_error_);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(at), at);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK TFTemplates::on_error_line_message(HWND line, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                                    DWORD_PTR self) {
    if (message == WM_LBUTTONDBLCLK) {
        reinterpret_cast<TFTemplates*>(self)->go_to_error();
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(line, on_error_line_message, 0);
    return DefSubclassProc(line, message, wparam, lparam);
}

// `{Name}` at the caret of the layout box last in focus; where the caret
// stands in a tag being typed, such as `{если `, the name closes that tag.
void TFTemplates::insert_field() {
    const auto index = SendMessageW(FieldList, LB_GETCURSEL, 0, 0);
    const auto names = template_field_names(tab_);
    if (index < 0 || static_cast<std::size_t>(index) >= names.size()) return;
    if (builtin_selected()) return say(L"«Стандартное» не меняется: сделайте его копию кнопкой «Новое».");
    const std::wstring name = widen(names[static_cast<std::size_t>(index)]);
    const std::wstring field = in_open_tag(last_layout_box_) ? name + L"}" : L"{" + name + L"}";
    SendMessageW(last_layout_box_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(field.c_str()));
    SetFocus(last_layout_box_);
}

void TFTemplates::add_new() {
    const std::vector<std::string> taken = user_names();
    const std::string suggested = free_name(builtin_selected() ? "Моё оформление" : selected_name(), taken);
    const std::optional<std::string> name = ask_template_name(window_, L"Новое оформление", suggested, dpi_);
    if (!name) return;
    if (const auto problem = store::template_name_problem(*name, taken)) return say(widen(*problem));
    const store::TemplateWrite added = store_->add(tab_, *name, typed());
    if (added != store::TemplateWrite::Done) return say(unwritten_text(added, *name));
    fill_list(*name);
    SetFocus(FullBox);
}

void TFTemplates::rename_selected() {
    const std::string old_name = selected_name();
    const std::optional<std::string> name = ask_template_name(window_, L"Переименовать оформление", old_name, dpi_);
    if (!name || *name == old_name) return;
    std::vector<std::string> others = user_names();
    std::erase(others, old_name);
    if (const auto problem = store::template_name_problem(*name, others)) return say(widen(*problem));
    if (!keep_typed()) return;  // else the edit would be written under the old name again
    const store::TemplateWrite renamed = store_->rename(tab_, old_name, *name);
    if (renamed == store::TemplateWrite::Refused) return say(kNotSaved);
    fill_list(renamed == store::TemplateWrite::Done ? *name : old_name);  // as the file has them now
    if (renamed != store::TemplateWrite::Done) say(unwritten_text(renamed, renamed == store::TemplateWrite::Gone ? old_name : *name));
}

// Asks first: a template is the user's work, and nothing brings it back.
void TFTemplates::delete_selected() {
    const std::wstring question = L"Удалить оформление «" + widen(selected_name()) + L"»?";
    if (ask(window_, question, kTemplateWindowTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    const std::string name = selected_name();
    if (store_->remove(tab_, name) != store::TemplateWrite::Done) {
        keep_typed();  // the template stays, and with it what was typed
        return say(L"Не удалено: файл базы данных недоступен.");
    }
    KillTimer(window_, kEditTimer);
    edit_pending_ = false;
    forget_held(name);
    fill_list(store_->in_use(tab_));
}

// What was typed first: the press writes with the template as the user sees it.
// One with an error is refused, not taken: its press would write nothing. The
// built-in one is always taken, as its press has no budget to pass.
void TFTemplates::use_selected() {
    if (!keep_typed()) return;
    if (!builtin_selected()) {
        const Rendered rendered = typed_rendered();
        if (const auto* error = std::get_if<TemplateError>(&rendered)) {
            return say_error(L"Не используется: ошибка в оформлении. ", *error);
        }
    }
    const std::string name = selected_name();
    const store::TemplateWrite used = store_->use(tab_, name);
    if (used == store::TemplateWrite::Refused) return say(kNotSaved);
    fill_list(name);
    if (used != store::TemplateWrite::Done) say(unwritten_text(used, name));
}

void TFTemplates::save_to_file() {
    const std::wstring suggested = widen(builtin_selected() ? store::kBuiltinTemplateName : selected_name()) + L".txt";
    const std::optional<std::wstring> path = ask_save_path(window_, suggested);
    if (!path) return;
    if (!write_file(*path, write_template_file(typed()))) return say(L"Не удалось записать файл " + *path);
    say(L"Сохранено в файл " + *path);
}

// A file's template is kept only when it is one, without errors, for this tab.
void TFTemplates::load_from_file() {
    const std::optional<std::wstring> path = ask_open_path(window_);
    if (!path) return;
    const FileBytes file = read_file(*path, kMaxTemplateFileBytes);
    if (const auto too_big = template_file_size_problem(file.size)) return say(L"Не загружено. " + widen(*too_big));
    if (!file.bytes) return say(L"Не удалось прочитать файл " + *path);
    const TemplateFileRead read = read_template_file(*file.bytes);
    if (const auto* reason = std::get_if<std::string>(&read)) return say(L"Не загружено. " + widen(*reason));
    const TemplateText& text = std::get<TemplateText>(read);
    if (const std::optional<TemplateError> error = check_template(tab_, text)) {
        return say(L"Не загружено: ошибка в оформлении. " + widen(template_error_text(*error)));
    }
    const std::string name = free_name(narrow(file_stem(*path)), user_names());
    const store::TemplateWrite added = store_->add(tab_, name, text);
    if (added != store::TemplateWrite::Done) return say(unwritten_text(added, name));
    fill_list(name);
}

void TFTemplates::on_command(HWND control, int code) {
    if (code == EN_CHANGE && (control == ShortBox || control == FullBox)) return edited();
    if (code == EN_SETFOCUS && (control == ShortBox || control == FullBox)) last_layout_box_ = control;
    if (code == LBN_SELCHANGE && control == TemplateList) {
        const auto index = SendMessageW(TemplateList, LB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<std::size_t>(index) != selected_) select(static_cast<std::size_t>(index));
    }
    if (code == LBN_DBLCLK && control == FieldList) insert_field();
    if (code != BN_CLICKED) return;
    if (control == NewButton) add_new();
    else if (control == RenameButton) rename_selected();
    else if (control == DeleteButton) delete_selected();
    else if (control == UseButton) use_selected();
    else if (control == SaveButton) save_to_file();
    else if (control == LoadButton) load_from_file();
}

LRESULT TFTemplates::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            // Enter, through the dialog keys: on the field list it inserts the
            // field; on the error line it goes to the error.
            if (LOWORD(wparam) == IDOK && lparam == 0) {
                if (GetFocus() == FieldList) insert_field();
                if (GetFocus() == ErrorLine) go_to_error();
                return 0;
            }
            if (LOWORD(wparam) == IDCANCEL && lparam == 0) {  // Esc
                SendMessageW(window_, WM_CLOSE, 0, 0);
                return 0;
            }
            on_command(reinterpret_cast<HWND>(lparam), HIWORD(wparam));
            return 0;
        case WM_TIMER:
            if (wparam == kEditTimer) {
                const bool retrying = !held_.empty();  // the retry's timer writes it: no wait at each pause in typing
                hold_typed();
                if (!retrying) write_held();
                show_check_and_result();
            } else if (wparam == kRetryTimer && write_held()) {
                show_check_and_result();
            }
            return 0;
        case WM_ACTIVATE:  // the tab's fields may have changed meanwhile
            if (LOWORD(wparam) != WA_INACTIVE && !edit_pending_) show_check_and_result();
            break;
        case kTabShown:
            if (static_cast<Tab>(wparam) != tab_) show_tab(static_cast<Tab>(wparam));
            return 0;
        // Every top-level window hears of the session's end, and the process
        // may be ended right after: the owner's saving does not reach here.
        case WM_QUERYENDSESSION:
            keep_typed();
            return TRUE;
        case WM_ENDSESSION:
            if (wparam) keep_typed();
            return 0;
        default:
            break;
    }
    return OpenedWindow::on_message(message, wparam, lparam);
}

// Hidden, never destroyed: it opens again as it was left.
void TFTemplates::close() {
    keep_typed();
    OpenedWindow::close();
}

}  // namespace tessivar
