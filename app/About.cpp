#include "app/About.h"

#include <commctrl.h>

namespace tessivar {
namespace {

constexpr wchar_t kText[] =
    L"Программа предназначена для быстрого формирования кода для описания контента сайта.\r\n"
    L"\r\n"
    L"В след версии будет:\r\n"
    L"- Файл базы данных: \r\n"
    L"Он будет хранить настройки, а так же некоторую \r\n"
    L"информацию для быстрого заполнения данных. \r\n"
    L"Так же будет хранить информацию о прошлом \r\n"
    L"заполнении полей.\r\n"
    L"- Предварительный просмотр кода\r\n"
    L"- Оформление карт CS по просьбе.\r\n"
    L"- Автоматическая проверка новой версии.\r\n"
    L"\r\n"
    L"Ver 1.2 (1.0.1.4): \r\n"
    L"- В картах можно указывать источник откуда она была взята.\r\n"
    L"- Кнопка \"Очистить\" для очистки данных на форме\r\n"
    L"- В подробном описании вставляется информационная программная строка.\r\n"
    L"- Кнопки для быстрого копирования сформированного текста.\r\n"
    L"\r\n"
    L"Ver 1.3 (1.0.2.5): \r\n"
    L"- Добавлена форма оформления звуковых файлов\r\n"
    L"- Добавлено вверхнее меню.\r\n"
    L"- \"О программе\" теперь в отдельной форме.\r\n"
    L"- Главную форму теперь можно разворачивать на полный экран.\r\n";

constexpr WindowRow<TFAbout> kRows[] = {
    {&TFAbout::Memo6, WC_EDITW, kAboutMemoStyle, 0, kAboutMemoBounds, kText, kAllEdges},
};

}  // namespace

const wchar_t* about_text() { return kText; }

TFAbout::TFAbout(HWND owner)
    : ModalWindow({kAboutClass, kAboutTitle, kAboutStyle, 0, kAboutDesignClient, false, true, kAboutLeastClient}) {
    create(owner, kAboutPlace, window_dpi(nullptr));
    make_controls<TFAbout>(*this, kRows);
}

void TFAbout::lay_out() { lay_out_controls<TFAbout>(*this, kRows); }

LRESULT TFAbout::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wparam) != WA_INACTIVE && Memo6) SetFocus(Memo6);
            return 0;
        case WM_CTLCOLORSTATIC:  // a read-only edit asks for the static colours
            if (reinterpret_cast<HWND>(lparam) == Memo6) {
                HDC dc = reinterpret_cast<HDC>(wparam);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, GetSysColor(COLOR_MENUBAR));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENUBAR));
            }
            break;
        default:
            break;
    }
    return ModalWindow::on_message(message, wparam, lparam);
}

}  // namespace tessivar
