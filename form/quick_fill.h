#pragma once
// The text boxes that offer what was typed in them before, through the
// system's autocomplete, fed from the histories the application keeps.
#include <windows.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "form/control_row.h"
#include "history/histories.h"
#include "tabs/tab.h"

namespace tessivar {

// A box that remembers, and the history it shares with boxes of its meaning.
struct QuickFillBox {
    std::string_view control;
    history::Meaning meaning;
};
std::span<const QuickFillBox> quick_fill_boxes();

// The autocomplete of the main window's boxes. Nothing is read and no COM
// object made before a box first gets the focus.
class QuickFill {
public:
    explicit QuickFill(const TFMain& form);
    ~QuickFill();
    QuickFill(const QuickFill&) = delete;
    QuickFill& operator=(const QuickFill&) = delete;

    // None: the boxes offer nothing and record nothing.
    void set_histories(Histories* histories) { histories_ = histories; }
    Histories* histories() const { return histories_; }

    void on_focus(HWND box, const ControlRow& row);
    void on_change(HWND box);
    // A press on `tab`: its boxes' values go to their histories.
    void record(Tab tab);

    struct Attached;

private:
    Attached* attached(HWND box) const;
    void attach(HWND box, history::Meaning meaning, const wchar_t* starting_text);

    const TFMain& form_;
    Histories* histories_{};
    std::vector<std::unique_ptr<Attached>> attached_;
};

}  // namespace tessivar
