#include "form/form_keeping.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "form/main_window.h"
#include "output/win32_text.h"
#include "snapshot/journal_fields.h"
#include "win32/centred.h"
#include "store/kept.h"

namespace tessivar {
namespace {

using snapshot::FieldKind;
using snapshot::form_fields;
// Each kept field's row, by the field's index; none for a window, the main
// one or the preview.
const std::vector<const ControlRow*>& rows_by_field() {
    static const std::vector<const ControlRow*> rows = [] {
        std::vector<const ControlRow*> by_field;
        for (const snapshot::Field& field : form_fields()) by_field.push_back(main_window_row(field.name));
        return by_field;
    }();
    return rows;
}

std::string read_date(HWND picker) {
    SYSTEMTIME date{};
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    return snapshot::stored_date({date.wYear, date.wMonth, date.wDay});
}

void show_date(HWND picker, const snapshot::Date& date) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(date.year);
    time.wMonth = static_cast<WORD>(date.month);
    time.wDay = static_cast<WORD>(date.day);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

std::string read_placement(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    const RECT& r = placement.rcNormalPosition;
    const bool maximized = placement.showCmd == SW_SHOWMAXIMIZED ||
                           (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED));
    return snapshot::stored_placement({r.left, r.top, r.right, r.bottom, maximized});
}

// A placement on a monitor that is gone comes onto the nearest one there is.
void show_placement(HWND window, snapshot::Placement kept) {
    RECT rect{kept.left, kept.top, kept.right, kept.bottom};
    if (!MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) {
        const RECT work = work_area_of(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
        kept = snapshot::onto_screen(kept, {work.left, work.top, work.right, work.bottom, false});
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = IsWindowVisible(window) ? (kept.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL) : SW_HIDE;
    placement.rcNormalPosition = {kept.left, kept.top, kept.right, kept.bottom};
    SetWindowPlacement(window, &placement);
}

// The status bar's words on keeping. Each is said once, until another note replaces it.
constexpr wchar_t kWaitingNote[] = L"Введённое пока не сохранено: файл базы данных не записывается.";
constexpr wchar_t kCaughtUpNote[] = L"Введённое сохранено.";
constexpr wchar_t kNotForgottenNote[] = L"Введённое пока не забыто: файл базы данных не записывается.";
constexpr wchar_t kForgottenNote[] =
    L"Введённое больше не запоминается и забыто; журнал описаний остаётся.";
constexpr wchar_t kNotOpenedNote[] = L"Запись не открыта: не удалось сохранить то, что она заменила бы.";
constexpr wchar_t kNotRemovedNote[] = L"Записи журнала не удалены: файл базы данных не записывается.";
constexpr const wchar_t* kNotes[] = {kWaitingNote,   kCaughtUpNote,   kNotForgottenNote,
                                     kForgottenNote, kNotOpenedNote, kNotRemovedNote};
constexpr wchar_t kNotRemembering[] = L"Запоминание введённого выключено";
constexpr wchar_t kNotWritten[] = L"Файл базы данных не записывается";

// Asked over `window`, under its own title.
bool may_be_lost(HWND window, const wchar_t* why) {
    const std::wstring question =
        std::wstring(why) + L", и то, что сейчас на вкладке и в описаниях, не сохранится. Открыть запись?";
    return ask(window, question, read_wide_text(window).c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// Nothing where the field was never kept and shows what it showed at start:
// a first start makes no file until something changes.
std::optional<std::string> to_keep(const snapshot::Snapshot& saved, const snapshot::Snapshot& started,
                                   std::size_t field, std::optional<std::string> value) {
    if (!saved.values[field] && value == started.values[field]) return std::nullopt;
    return value;
}

using WideTexts = FormKeeping::WideTexts;

// The long boxes read as UTF-16, made UTF-8 into `now` by the same rule.
void take_texts(const snapshot::Snapshot& saved, const snapshot::Snapshot& started, const WideTexts& texts,
                snapshot::Snapshot& now) {
    for (const auto& [field, text] : texts) now.values[field] = to_keep(saved, started, field, narrow(text));
}

// What one save writes: the held presses, then the fields that changed.
bool write_save(store::Database& database, std::span<const store::NewEntry> held, const snapshot::Snapshot& now,
                std::span<const std::size_t> changed) {
    for (const store::NewEntry& entry : held) {
        if (!store::add_to_journal(database, entry)) return false;
    }
    return store::keep_form(database, now, changed);
}

std::int64_t now() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

struct FormKeeping::Behind {
    store::Store* store;
    snapshot::Snapshot now;
    WideTexts texts;  // made UTF-8 on the writing thread
    std::vector<store::NewEntry> held;
    std::vector<bool> fields;  // marked again where it fails
    bool committed = false;    // read once the thread has been joined
    std::atomic<bool> done = false;
};

FormKeeping::~FormKeeping() {
    if (behind_) behind_->store->settle_behind();
}

bool FormKeeping::keeping() const { return store_ && form_.Action6Checked(); }

HWND FormKeeping::control_of(std::size_t field) const {
    if (const ControlRow* row = rows_by_field()[field]) return form_.control(*row);
    return form_fields()[field].name == "FPreview" ? form_.preview_window() : form_.handle();
}

std::optional<std::size_t> FormKeeping::field_of(HWND control) const {
    for (std::size_t field = 0; field < form_fields().size(); ++field) {
        if (control && control_of(field) == control) return field;
    }
    return std::nullopt;
}

std::optional<std::string> FormKeeping::read_field(std::size_t field) const {
    HWND control = control_of(field);
    if (!control) return std::nullopt;
    switch (form_fields()[field].kind) {
        case FieldKind::Text: return read_text(control);
        case FieldKind::Toggle: return checked(control) ? "1" : "0";
        case FieldKind::Date: return read_date(control);
        case FieldKind::Page: return std::to_string(TabCtrl_GetCurSel(control));
        case FieldKind::Placement: return read_placement(control);
    }
    return std::nullopt;
}

void FormKeeping::show_field(std::size_t field, const std::string& value) {
    HWND control = control_of(field);
    if (!control) return;
    switch (form_fields()[field].kind) {
        case FieldKind::Text:
            if (rows_by_field()[field]->kind == Kind::DropList) {
                const std::wstring wide = widen(value);
                const LRESULT item = SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(wide.c_str()));
                SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
            } else {
                write_text(control, value);
            }
            break;
        case FieldKind::Toggle:
            SendMessageW(control, BM_SETCHECK, value == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
            form_.CheckBox1Click();
            break;
        case FieldKind::Date: show_date(control, *snapshot::read_date(value)); break;
        case FieldKind::Page: form_.select_page(value[0] - '0'); break;
        case FieldKind::Placement: show_placement(control, *snapshot::read_placement(value)); break;
    }
}

// The store's own words on a wait and its end stand for ours: said once.
void FormKeeping::told(store::Fault fault, const std::string& text) {
    complete_behind();
    tell(widen(text), fault == store::Fault::Locked ? Said::Waiting : Said::Nothing);
    if (fault != store::Fault::PutAside) return;
    saved_ = {};
    started_ = {};
    mark_every_field();
}

bool FormKeeping::restore() {
    complete_behind();
    if (!keeping()) return false;
    const bool read = store_->read([&](store::Database& database) {
        saved_ = store::read_kept_form(database);
        return true;
    });
    restore_waits_ = !read && store_->waiting();
    show(saved_);
    std::fill(dirty_.begin(), dirty_.end(), false);  // what was just read is what the database holds
    KillTimer(form_.handle(), kKeepTimer);
    // A field nothing was kept for shows its starting value, a short text: a
    // save compares with it, so that a first start makes no file.
    for (std::size_t field = 0; field < form_fields().size(); ++field) {
        if (!saved_.values[field]) started_.values[field] = read_field(field);
    }
    if (restore_waits_) retry_later();
    const auto main = saved_.values[snapshot::field_named("FMain")];
    return main && snapshot::read_placement(*main)->maximized;
}

// What a file held at start kept comes, once it reads, into every field not
// touched since, and is what the next save compares with; the window stays
// where it is and on its tab.
bool FormKeeping::restore_late() {
    snapshot::Snapshot kept;
    const bool read = store_->read([&](store::Database& database) {
        kept = store::read_kept_form(database);
        return true;
    });
    if (!read) return false;
    restore_waits_ = false;
    snapshot::Snapshot untouched;
    for (std::size_t field = 0; field < kept.values.size(); ++field) {
        const FieldKind kind = form_fields()[field].kind;
        if (!dirty_[field] && kind != FieldKind::Page && kind != FieldKind::Placement) {
            untouched.values[field] = kept.values[field];
        }
    }
    const std::vector<bool> touched = dirty_;
    show(untouched);
    dirty_ = touched;
    saved_ = std::move(kept);
    return true;
}

void FormKeeping::show(const snapshot::Snapshot& form) {
    showing_ = true;
    for (std::size_t field = 0; field < form.values.size(); ++field) {
        if (!form.values[field]) continue;
        show_field(field, *form.values[field]);
        mark(field);
    }
    showing_ = false;
    if (form.values[snapshot::field_named("Disc1")] || form.values[snapshot::field_named("Disc2")]) {
        form_.Disc1Change();
    }
}

void FormKeeping::mark(std::size_t field) {
    dirty_[field] = true;
    // The switch is asked at the save: a keystroke reads nothing from the file.
    if (store_) SetTimer(form_.handle(), kKeepTimer, std::max(kKeepDelayMs, retry_ms_), nullptr);
}

void FormKeeping::mark_every_field() {
    for (std::size_t field = 0; field < dirty_.size(); ++field) mark(field);
}

void FormKeeping::on_change(HWND control) {
    if (showing_) return;
    if (const auto field = field_of(control)) mark(*field);
}

void FormKeeping::on_click(HWND control) {
    if (field_of(control)) return on_change(control);
    HWND page = GetParent(control);
    for (std::size_t field = 0; field < form_fields().size(); ++field) {
        HWND kept = control_of(field);
        if (kept && form_fields()[field].tab && GetParent(kept) == page) mark(field);
    }
}

OwnedWindowPlace FormKeeping::place(HWND window) {
    const auto field = field_of(window);
    if (!field || !keeping() || !saved_.values[*field]) return kPlaceNotKept;
    const snapshot::Placement kept = *snapshot::read_placement(*saved_.values[*field]);
    show_placement(window, kept);
    return kept.maximized ? kPlaceKeptMaximized : kPlaceKept;
}

// A save behind still going takes the next one's turn a moment later.
void FormKeeping::save_changed() {
    if (behind_ && !behind_->done) {
        SetTimer(form_.handle(), kKeepTimer, kKeepDelayMs, nullptr);
        return;
    }
    complete_behind();
    keep(dirty_, Where::BehindIfLong);
}

// In the foreground: Windows may end the process as soon as it returns.
void FormKeeping::save() {
    complete_behind();
    keep(std::vector<bool>(dirty_.size(), true), Where::Foreground);
}

void FormKeeping::complete_behind() {
    if (!behind_) return;
    behind_->store->settle_behind();
    const std::shared_ptr<Behind> ended = std::move(behind_);
    if (ended->committed) {
        take_as_saved(ended->now);
        return caught_up();
    }
    for (std::size_t field = 0; field < dirty_.size(); ++field) {
        if (ended->fields[field]) dirty_[field] = true;
    }
    held_.insert(held_.begin(), ended->held.begin(), ended->held.end());
    foreground_next_ = true;
    SetTimer(form_.handle(), kKeepTimer, USER_TIMER_MINIMUM, nullptr);
}

// The switch first, for nothing may be kept that it forbids; then the held
// presses and the fields, in one transaction: behind the window where a
// box is long and `where` allows.
void FormKeeping::keep(std::vector<bool> fields, Where where) {
    KillTimer(form_.handle(), kKeepTimer);
    if (restore_waits_ && !restore_late()) return retry_later();
    if (!keep_switch()) return retry_later();
    if (!store_) return;
    snapshot::Snapshot now;  // the fields read; the others stand as saved
    WideTexts texts;
    const bool remembering = keeping();
    for (std::size_t field = 0; field < fields.size() && remembering; ++field) {
        if (!fields[field]) continue;
        if (auto text = where == Where::BehindIfLong ? long_text(field) : std::nullopt) {
            texts.emplace_back(field, std::move(*text));
        } else {
            now.values[field] = to_keep(saved_, started_, field, read_field(field));
        }
    }
    if (!texts.empty() && !foreground_next_ && keep_behind(now, texts, fields)) return;
    foreground_next_ = false;
    take_texts(saved_, started_, texts, now);
    const auto changed = snapshot::changed_fields(saved_, now);
    if (held_.empty() && changed.empty()) return caught_up();
    const bool kept =
        store_->write([&](store::Database& database) { return write_save(database, held_, now, changed); });
    if (!kept) {
        for (std::size_t field : changed) dirty_[field] = true;  // read again at the next try
        return retry_later();
    }
    held_.clear();
    take_as_saved(now);
    std::fill(dirty_.begin(), dirty_.end(), false);
    caught_up();
}

void FormKeeping::take_as_saved(snapshot::Snapshot& kept) {
    for (std::size_t field = 0; field < kept.values.size(); ++field) {
        if (kept.values[field]) saved_.values[field] = std::move(kept.values[field]);
    }
}

// A text box's text as its UTF-16, where it is long enough to be saved behind the window.
std::optional<std::wstring> FormKeeping::long_text(std::size_t field) const {
    HWND control = control_of(field);
    if (!control || form_fields()[field].kind != FieldKind::Text) return std::nullopt;
    if (static_cast<std::size_t>(std::max(0, GetWindowTextLengthW(control))) < kBehindUnits) return std::nullopt;
    return read_wide_text(control);
}

// `now` and `texts` handed to the writing thread, which reads saved_ and
// started_ meanwhile; left as they were where it could not start.
bool FormKeeping::keep_behind(snapshot::Snapshot& now, WideTexts& texts, const std::vector<bool>& fields) {
    auto job = std::make_shared<Behind>(store_, std::move(now), std::move(texts), held_, fields);
    const auto write = [job, &saved = saved_, &started = started_](store::Database& database) {
        take_texts(saved, started, job->texts, job->now);
        job->texts.clear();
        return write_save(database, job->held, job->now, snapshot::changed_fields(saved, job->now));
    };
    const auto finished = [job, window = form_.handle()](bool committed) {
        job->committed = committed;
        job->done = true;
        PostMessageW(window, kKeptBehind, 0, 0);
    };
    if (!store_->write_behind(write, finished)) {
        now = std::move(job->now);
        texts = std::move(job->texts);
        return false;
    }
    behind_ = std::move(job);
    held_.clear();
    std::fill(dirty_.begin(), dirty_.end(), false);
    return true;
}

bool FormKeeping::keep_switch() {
    if (!switch_unsaved_) return true;
    const bool on = switch_->remembering();
    if (!switch_->set_remembering(on)) return false;
    switch_unsaved_ = false;
    if (!on) tell(kForgottenNote);
    return true;
}

// Said once; tried again a little later each time. A file that takes nothing
// this run has been said by the store, and the next change tries again.
void FormKeeping::retry_later() {
    if (switch_unsaved_ && !switch_->remembering()) {
        say(Said::NotForgotten);
    } else if (store_ && store_->keeping()) {
        say(Said::Waiting);
    }
    if (store_ && !store_->keeping()) return;
    retry_ms_ = retry_ms_ ? std::min(2 * retry_ms_, kLongestRetryMs) : kKeepDelayMs;
    SetTimer(form_.handle(), kKeepTimer, retry_ms_, nullptr);
}

void FormKeeping::caught_up() {
    retry_ms_ = 0;
    if (said_ == Said::Waiting) tell(kCaughtUpNote);
}

void FormKeeping::say(Said said) {
    if (said != said_) tell(said == Said::Waiting ? kWaitingNote : kNotForgottenNote, said);
}

void FormKeeping::tell(const std::wstring& note, Said said) {
    form_.show_status_note(note);
    said_ = said;
}

snapshot::Snapshot FormKeeping::read_tab(Tab tab) const {
    snapshot::Snapshot form;
    for (std::size_t field : snapshot::tab_fields(tab)) form.values[field] = read_field(field);
    return form;
}

void FormKeeping::pressed(Tab tab) {
    if (!keeping()) return;
    held_.push_back({tab, now(), true, read_tab(tab), read_text(form_.Disc1), read_text(form_.Disc2)});
    save_changed();
}

bool FormKeeping::open(const store::JournalEntry& entry, HWND asking) {
    const Tab tab = entry.row.tab;
    if (!keep_replaced(tab, asking)) return false;
    form_.select_page(static_cast<int>(tab));
    mark(snapshot::field_named("PageControl1"));
    show(entry.row.fields);
    write_text(form_.Disc1, entry.short_text);
    write_text(form_.Disc2, entry.full_text);
    form_.Disc1Change();
    return true;
}

// The tab's fields and both panes as an entry of their own, unless one
// holds them already. Where nothing may be kept, the user says whether
// they may go.
bool FormKeeping::keep_replaced(Tab tab, HWND asking) {
    if (!store_) return true;
    const store::NewEntry replaced{tab, now(), false, read_tab(tab), read_text(form_.Disc1), read_text(form_.Disc2)};
    const auto in_journal = [&](store::Database& database) { return store::in_journal(database, replaced); };
    if (keeping() && store_->keeping()) {
        const bool kept = store_->write_now([&](store::Database& database) {
            return in_journal(database) || store::add_to_journal(database, replaced);
        });
        if (!kept) tell(kNotOpenedNote);
        return kept;
    }
    return store_->read(in_journal) || may_be_lost(asking, keeping() ? kNotWritten : kNotRemembering);
}

bool FormKeeping::remove_from_journal(std::span<const std::int64_t> ids) {
    const auto remove = [&](store::Database& database) { return store::remove_from_journal(database, ids); };
    if (store_ && store_->write_now(remove)) return true;
    tell(kNotRemovedNote);
    return false;
}

void FormKeeping::turn_remembering(Histories& histories, bool on) {
    complete_behind();
    switch_ = &histories;
    switch_unsaved_ = !histories.set_remembering(on);
    if (on) {
        started_ = {};
        std::fill(dirty_.begin(), dirty_.end(), true);  // the form as it stands is kept from now
        return switch_unsaved_ ? retry_later() : save_changed();
    }
    saved_ = {};  // the kept form is gone, or goes with the switch's next try
    if (switch_unsaved_) return retry_later();
    tell(kForgottenNote);
}

std::span<const wchar_t* const> keeping_notes() { return kNotes; }

}  // namespace tessivar
