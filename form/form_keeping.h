#pragma once
// The form kept in the database: a moment after the last change, at a
// press, at close and when Windows ends the session; only the fields that
// changed, read from their controls at the save, not at each keystroke (at
// close, every control is read once). Each press of a generator button
// adds the tab to the journal. A write the file refuses is held and tried
// again until it is taken.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "history/histories.h"
#include "snapshot/form_state.h"
#include "store/kept.h"
#include "store/store.h"
#include "tabs/tab.h"
#include "win32/messages.h"
#include "win32/window_kit.h"

namespace tessivar {

class TFMain;

// Changes are written this long after the last one.
inline constexpr UINT kKeepDelayMs = 1000;
// A write the file refused is tried again after the delay, then after twice
// as long each time, up to this.
inline constexpr UINT kLongestRetryMs = 8000;
inline constexpr UINT_PTR kKeepTimer = 0x4B45;
// A box at least this long (UTF-16 units) is saved behind the window: only
// read on its thread, made UTF-8 and written on a thread of its own.
inline constexpr std::size_t kBehindUnits = std::size_t{1} << 20;

class FormKeeping {
public:
    // Long boxes read as UTF-16, by field, to be made UTF-8 off the window's thread.
    using WideTexts = std::vector<std::pair<std::size_t, std::wstring>>;

    explicit FormKeeping(TFMain& form) : form_(form) {}
    ~FormKeeping();
    FormKeeping(const FormKeeping&) = delete;
    FormKeeping& operator=(const FormKeeping&) = delete;

    // None: nothing is kept or read.
    void set_store(store::Store* store) { store_ = store; }
    // The store's word on a fault, said in the status bar. A new file started
    // in place of a spoilt one holds nothing yet: the whole form goes into it.
    void told(store::Fault fault, const std::string& text);

    // The form as it was left, shown in the controls of the hidden window.
    // Returns whether the window was left maximised. A file another program
    // holds is read once it lets go.
    bool restore();

    // `control` changed: its field is written a moment later. A button that
    // is no field (a clearing button) marks every field of its page.
    void on_change(HWND control);
    void on_click(HWND control);
    // A kept window made after start-up (the preview), placed hidden where
    // it was left.
    OwnedWindowPlace place(HWND window);
    // The timer's: what waits, then the fields marked changed, now. What the
    // file refuses stays held, is said in the status bar and tried again.
    void save_changed();
    // Every field as its control holds it, whatever notifications came (a
    // multi-line box sends none for a text set from outside): at close and
    // at the end of a session.
    void save();
    // A save behind the window has ended: what it kept is what the file
    // holds; what it could not keep is saved again at once in the
    // foreground, where a failure is told and tried again.
    void complete_behind();
    bool saving_behind() const { return behind_ != nullptr; }
    // A press of the tab's generator button: its fields and both panes as a journal entry.
    void pressed(Tab tab);
    // The switch turned by the user. Off, what was typed is forgotten and
    // nothing new is kept; on, the whole form is kept from now. Until the
    // file has taken it, the status bar says so and it is tried again.
    void turn_remembering(Histories& histories, bool on);

    // A journal entry shown: its tab, its fields, its descriptions in the
    // panes. What it replaces, both panes included, is first kept as an
    // entry; where nothing may be kept, the user is asked over `asking`.
    // False where it was not shown: refused, or its keeping failed (the
    // status bar says so).
    bool open(const store::JournalEntry& entry, HWND asking);
    // The journal's entries `ids` deleted; where the file refuses, the
    // status bar says so and they stay.
    bool remove_from_journal(std::span<const std::int64_t> ids);

    // The tab's fields as the controls hold them now.
    snapshot::Snapshot read_tab(Tab tab) const;
    // Fields shown in their controls; marked for the next save.
    void show(const snapshot::Snapshot& form);

private:
    enum class Said { Nothing, Waiting, NotForgotten };
    bool keeping() const;
    void mark(std::size_t field);
    void mark_every_field();
    struct Behind;
    enum class Where { Foreground, BehindIfLong };
    void keep(std::vector<bool> fields, Where where);
    std::optional<std::wstring> long_text(std::size_t field) const;
    void take_as_saved(snapshot::Snapshot& kept);
    bool keep_behind(snapshot::Snapshot& now, WideTexts& texts, const std::vector<bool>& fields);
    bool restore_late();
    bool keep_switch();
    void retry_later();
    void caught_up();
    void say(Said said);
    void tell(const std::wstring& note, Said said = Said::Nothing);
    bool keep_replaced(Tab tab, HWND asking);
    std::optional<std::size_t> field_of(HWND control) const;
    std::optional<std::string> read_field(std::size_t field) const;
    void show_field(std::size_t field, const std::string& value);
    HWND control_of(std::size_t field) const;

    TFMain& form_;
    store::Store* store_{};
    Histories* switch_{};      // where the switch was last turned
    bool switch_unsaved_ = false;
    snapshot::Snapshot saved_;    // what the database holds, as far as this run knows
    snapshot::Snapshot started_;  // what the fields nothing was kept for showed at start
    std::vector<bool> dirty_ = std::vector<bool>(snapshot::form_fields().size());
    std::vector<store::NewEntry> held_;  // presses the file has not taken yet
    UINT retry_ms_ = 0;                  // the wait before the next try; none while all is kept
    Said said_ = Said::Nothing;
    bool showing_ = false;  // the controls' own notifications of a value shown are no change
    bool restore_waits_ = false;  // the file was held as the program started
    // The save going on behind the window; it reads saved_ and started_,
    // which are not changed until it has ended.
    std::shared_ptr<Behind> behind_;
    bool foreground_next_ = false;  // a save behind failed: the next one tells why
};

// Every note keeping may put in the status bar.
std::span<const wchar_t* const> keeping_notes();

}  // namespace tessivar
