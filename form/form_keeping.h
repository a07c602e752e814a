#pragma once
// The form kept in the database: a moment after the last change, at a
// press, at close and when Windows ends the session; only the fields that
// changed, read from their controls at the save, not at each keystroke.
// Each press of a generator button adds the tab to the journal.
#include <windows.h>

#include <vector>

#include "form/window_kit.h"
#include "generators/tab.h"
#include "snapshot/form_state.h"
#include "store/kept.h"
#include "store/store.h"

namespace tessivar {

class TFMain;

// Changes are written this long after the last one.
inline constexpr UINT kKeepDelayMs = 1000;
inline constexpr UINT_PTR kKeepTimer = 0x4B45;

class FormKeeping {
public:
    explicit FormKeeping(TFMain& form) : form_(form) {}
    FormKeeping(const FormKeeping&) = delete;
    FormKeeping& operator=(const FormKeeping&) = delete;

    // None: nothing is kept or read.
    void set_store(store::Store* store) { store_ = store; }
    store::Store* kept_in() const { return store_; }

    // The form as it was left, shown in the controls of the hidden window.
    // Returns whether the window was left maximised.
    bool restore();

    // `control` changed: its field is written a moment later. A button that
    // is no field (a clearing button) marks every field of its page.
    void on_change(HWND control);
    void on_click(HWND control);
    // A kept window made after start-up (the preview), placed hidden where
    // it was left.
    OwnedWindowPlace place(HWND window);
    // The written fields, now; the timer's wait ends.
    void save();
    // A press of the tab's generator button: its fields and both panes as a journal entry.
    void pressed(Tab tab);
    // The switch turned off: nothing new is kept and the kept form goes;
    // turned on: the whole form is kept from now.
    void remembering_changed(bool on);

    // A journal entry shown: its tab, its fields, its descriptions in the
    // panes. Fields of that tab never pressed are first kept as an entry.
    void open(const store::JournalEntry& entry);

    // The tab's fields as the controls hold them now.
    snapshot::Snapshot read_tab(Tab tab) const;
    // Fields shown in their controls; marked for the next save.
    void show(const snapshot::Snapshot& form);

private:
    bool keeping() const;
    void mark(std::size_t field);
    std::optional<std::size_t> field_of(HWND control) const;
    std::optional<std::string> read_field(std::size_t field) const;
    void show_field(std::size_t field, const std::string& value);
    HWND control_of(std::size_t field) const;

    TFMain& form_;
    store::Store* store_{};
    snapshot::Snapshot saved_;  // what the database holds, as far as this run knows
    std::vector<bool> dirty_ = std::vector<bool>(snapshot::form_fields().size());
    bool showing_ = false;  // the controls' own notifications of a value shown are no change
};

}  // namespace tessivar
