// The program's menu, and its actions' handlers on the main window.
#include "app/actions.h"

#include <windows.h>

#include "app/About.h"
#include "preview/preview.h"
#include "win32/browser.h"
#include "journal/journal_window.h"
#include "template_window/template_window.h"
#include "form/main_window.h"
#include "win32/window_kit.h"
#include "output/links.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

// Only the program's own fixed addresses reach the shell from the menu.
void open_site(HWND window, std::string_view address) { open_web_address(window, widen(address)); }

// Action1 to Action5, as the form designer numbered them, and those added since.
const MenuCommand& action(int number) {
    static const MenuCommand table[] = {
        {L"О программе", &TFMain::Action1Execute},
        {L"Предварительный просмотр", &TFMain::Action2Execute},
        {L"Выход", &TFMain::Action3Execute},
        {L"Сайт программы", &TFMain::Action4Execute},
        {L"Сайт " + widen(links::content_site_name), &TFMain::Action5Execute},
        {L"Запоминать введённое", &TFMain::Action6Execute, &TFMain::Action6Checked},
        {L"Журнал описаний", &TFMain::Action7Execute},
        {L"Оформление описаний", &TFMain::Action8Execute},
    };
    return table[number - 1];
}

}  // namespace

std::span<const MenuTitle> main_menu() {
    static const MenuTitle menu[] = {
        {L"Главное", {action(2), action(7), action(8), action(6), action(3)}},
        {L"Помощь", {action(1), action(4), action(5)}},
    };
    return menu;
}

void TFMain::Action1Execute() {
    if (about_) about_->show_modal(handle());
}

void TFMain::Action2Execute() {
    if (preview_) preview_->show();
}

HWND TFMain::preview_window() const { return preview_ ? preview_->handle() : nullptr; }

void TFMain::Action8Execute() {
    if (templates_) templates_->show();
}

void TFMain::Disc1Change() {
    if (preview_) preview_->follow();
    keeping_.on_change(Disc1);
    keeping_.on_change(Disc2);
}

// Nothing to ask: the form is kept as it is.
void TFMain::Action3Execute() {
    keeping_.save();
    PostQuitMessage(0);
}

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
