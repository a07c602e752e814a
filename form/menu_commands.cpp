// The menu's commands on the main window. The windows they open live in
// the rooms above and come here as the kit's windows.
#include "form/main_window.h"
#include "output/links.h"
#include "output/win32_text.h"
#include "win32/browser.h"
#include "win32/messages.h"

namespace tessivar {
namespace {

// Only the program's own fixed addresses reach the shell from the menu.
void open_site(HWND window, std::string_view address) { open_web_address(window, widen(address)); }

}  // namespace

void TFMain::Action1Execute() {
    if (about_) about_->show_modal(handle());
}

void TFMain::Action2Execute() {
    if (preview_) preview_->show();
}

void TFMain::Action8Execute() {
    if (templates_) templates_->show();
}

void TFMain::Disc1Change() {
    tell_owned_windows(window_, kPanesChanged, 0);
    keeping_.on_change(Disc1);
    keeping_.on_change(Disc2);
}

void TFMain::Action3Execute() { close(); }

void TFMain::Action4Execute() { open_site(handle(), links::maker_forum); }

void TFMain::Action5Execute() { open_site(handle(), links::content_site); }

// Turned off, the journal alone stays: the status bar says so, once.
void TFMain::Action6Execute() {
    Histories* histories = quick_fill_.histories();
    if (histories) keeping_.turn_remembering(*histories, !histories->remembering());
}

void TFMain::Action7Execute() {
    if (journal_) journal_->show();
}

bool TFMain::Action6Checked() {
    Histories* histories = quick_fill_.histories();
    return histories && histories->remembering();
}

}  // namespace tessivar
