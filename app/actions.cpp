// The program's menu: each caption with its command on the main window.
#include "app/actions.h"

#include "form/main_window.h"
#include "output/links.h"
#include "output/win32_text.h"

namespace tessivar {

// The handlers keep the form designer's numbers, Action1 to Action5, and those added since.
std::span<const MenuTitle> main_menu() {
    static const MenuTitle menu[] = {
        {L"Главное",
         {
             {L"Предварительный просмотр", &TFMain::Action2Execute},
             {L"Журнал описаний", &TFMain::Action7Execute},
             {L"Оформление описаний", &TFMain::Action8Execute},
             {L"Запоминать введённое", &TFMain::Action6Execute, &TFMain::Action6Checked},
             {L"Выход", &TFMain::Action3Execute},
         }},
        {L"Помощь",
         {
             {L"О программе", &TFMain::Action1Execute},
             {L"Сайт программы", &TFMain::Action4Execute},
             {L"Сайт " + widen(links::content_site_name), &TFMain::Action5Execute},
         }},
    };
    return menu;
}

}  // namespace tessivar
