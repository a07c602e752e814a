// The program's menu: each caption with its command on the main window.
#include "app/actions.h"

#include "form/main_window.h"
#include "output/links.h"
#include "output/win32_text.h"

namespace tessivar {
namespace {

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

}  // namespace tessivar
