// The main window as a form designer would store it: every control with its
// bounds at 96 dpi, starting content, tab order, anchors and hint.
#include "form/main_window.h"

#include <algorithm>

namespace tessivar {
namespace {

using K = Kind;
using P = Parent;
constexpr unsigned kLTB = kLeft | kTop | kBottom;
constexpr unsigned kLTR = kLeft | kTop | kRight;
constexpr unsigned kLB = kLeft | kBottom;
constexpr DWORD kBothBars = WS_HSCROLL | WS_VSCROLL;

constexpr const wchar_t* kPickerHint = L"Дата выпуска этой версии карты.";
constexpr const wchar_t* kToggleHint = L"Если вы не знаете дату выхода версии то снимите галочку";
constexpr const wchar_t* kGenerate = L"Сформировать код";
constexpr const wchar_t* kClear = L"Очистить";
constexpr const wchar_t* kCopy = L"Копировать в буфер обмена";

constexpr ControlRow kRows[] = {
    // the window itself
    {.kind = K::MenuBar, .member = &TFMain::ActionMainMenuBar1, .parent = P::Window,
     .bounds = {0, 0, 640, 24}, .anchors = kLTR},
    {.kind = K::Label, .member = &TFMain::Label12, .names = &TFMain::Disc1,
     .parent = P::Window,
     .bounds = {296, 8, 154, 13}, .text = L"Краткое описание материала:"},
    {.kind = K::PageControl, .member = &TFMain::PageControl1, .name = "PageControl1", .parent = P::Window,
     .bounds = {0, 22, 289, 541}, .tab_order = 0, .anchors = kLTB},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet1, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = L"Карты", .tab_order = kPagesTabOrder, .anchors = kLTB,
     .on_mouse_move = &TFMain::TabSheet1MouseMove},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet2, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = L"Звуки", .tab_order = kPagesTabOrder, .anchors = kLTB},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet3, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = L"Модели", .tab_order = kPagesTabOrder, .anchors = kLTB},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet4, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = L"Текстуры", .tab_order = kPagesTabOrder, .anchors = kLTB},
    {.kind = K::Memo, .member = &TFMain::Disc1, .name = "Disc1", .parent = P::Window,
     .bounds = {296, 24, 337, 121}, .text = L"Здесь будет краткое описание материала.\r\n",
     .tab_order = 2, .anchors = kLTR, .style = WS_HSCROLL},
    {.kind = K::Button, .member = &TFMain::Button7, .parent = P::Window,
     .bounds = {480, 144, 155, 25}, .text = kCopy, .tab_order = 4, .anchors = kTop | kRight,
     .on_click = &TFMain::Button7Click},
    {.kind = K::Label, .member = &TFMain::Label13, .names = &TFMain::Disc2,
     .parent = P::Window,
     .bounds = {296, 160, 150, 13}, .text = L"Полное описание материала:"},
    {.kind = K::Memo, .member = &TFMain::Disc2, .name = "Disc2", .parent = P::Window,
     .bounds = {296, 176, 337, 371},
     .text = L"Здесь будет полное описание материала. \r\n"
             L"Выберите нужную закладку материала и заполните \r\n"
             L"предложенные данные.\r\n"
             L"Кроме данных в выпадающих списках вы можете вводить \r\n"
             L"свои данные.\r\n"
             L"\r\n"
             L"После окончания заполнения нажмите \"Сформировать код\".\r\n"
             L"\r\n"
             L"Сформированный код добавьте в описание материала и \r\n"
             L"прикрепите файл в архиве RAR или ZIP.\r\n"
             L"Выберите нужный раздел для заполнения и после этого \r\n"
             L"добавьте материал.\r\n",
     .tab_order = 3, .anchors = kAllEdges, .style = kBothBars},
    {.kind = K::Button, .member = &TFMain::Button8, .parent = P::Window,
     .bounds = {480, 546, 155, 25}, .text = kCopy, .tab_order = 5, .anchors = kRight | kBottom,
     .on_click = &TFMain::Button8Click},
    {.kind = K::StatusBar, .member = &TFMain::StatusBar1, .parent = P::Window,
     .bounds = {0, 570, 640, 19}, .anchors = kLeft | kRight | kBottom},

    // maps
    {.kind = K::Label, .member = &TFMain::Label11, .names = &TFMain::Edit2,
     .parent = P::TabSheet1,
     .bounds = {0, 8, 67, 13}, .text = L"Автор карты:"},
    {.kind = K::Edit, .member = &TFMain::Edit2, .name = "Edit2", .parent = P::TabSheet1,
     .bounds = {88, 0, 193, 21}, .text = L"Неизвестен", .tab_order = 11},
    {.kind = K::Label, .member = &TFMain::Label1, .names = &TFMain::ComboBox1,
     .parent = P::TabSheet1,
     .bounds = {0, 40, 65, 13}, .text = L"Жанр карты:", .style = SS_RIGHT},
    {.kind = K::Combo, .member = &TFMain::ComboBox1, .name = "ComboBox1", .parent = P::TabSheet1,
     .bounds = {88, 32, 193, 21}, .tab_order = 0, .visible_rows = 81},
    {.kind = K::Label, .member = &TFMain::Label2, .names = &TFMain::Edit1,
     .parent = P::TabSheet1,
     .bounds = {0, 72, 41, 13}, .text = L"Версия:", .style = SS_RIGHT},
    {.kind = K::Edit, .member = &TFMain::Edit1, .name = "Edit1", .parent = P::TabSheet1,
     .bounds = {48, 64, 97, 21}, .text = L"1.00", .tab_order = 1},
    {.kind = K::Label, .member = &TFMain::Label3, .names = &TFMain::DateTimePicker1,
     .parent = P::TabSheet1,
     .bounds = {152, 72, 11, 13}, .text = L"от"},
    {.kind = K::DatePicker, .member = &TFMain::DateTimePicker1, .name = "DateTimePicker1", .parent = P::TabSheet1,
     .bounds = {168, 64, 97, 21}, .tab_order = 2, .hint = kPickerHint},
    {.kind = K::DateToggle, .member = &TFMain::CheckBox1, .name = "CheckBox1", .parent = P::TabSheet1,
     .bounds = {266, 64, 97, 21}, .tab_order = 12, .hint = kToggleHint,
     .on_click = &TFMain::CheckBox1Click, .on_mouse_move = &TFMain::CheckBox1MouseMove},
    {.kind = K::Label, .member = &TFMain::Label4, .names = &TFMain::ComboBox2,
     .parent = P::TabSheet1,
     .bounds = {0, 104, 41, 13}, .text = L"Язык:", .style = SS_RIGHT},
    {.kind = K::Combo, .member = &TFMain::ComboBox2, .name = "ComboBox2", .parent = P::TabSheet1,
     .bounds = {48, 96, 233, 21}, .tab_order = 3},
    {.kind = K::Label, .member = &TFMain::Label5, .names = &TFMain::ComboBox3,
     .parent = P::TabSheet1,
     .bounds = {8, 136, 121, 13}, .text = L"Количество игроков:", .style = SS_RIGHT},
    {.kind = K::Combo, .member = &TFMain::ComboBox3, .name = "ComboBox3", .parent = P::TabSheet1,
     .bounds = {136, 128, 145, 21}, .tab_order = 4, .visible_rows = 151},
    {.kind = K::Label, .member = &TFMain::Label6, .names = &TFMain::ComboBox4,
     .parent = P::TabSheet1,
     .bounds = {2, 168, 127, 13}, .text = L"Поддержка компьютера:", .style = SS_RIGHT},
    {.kind = K::Combo, .member = &TFMain::ComboBox4, .name = "ComboBox4", .parent = P::TabSheet1,
     .bounds = {136, 160, 145, 21}, .tab_order = 5},
    {.kind = K::Label, .member = &TFMain::Label7, .names = &TFMain::ComboBox5,
     .parent = P::TabSheet1,
     .bounds = {8, 200, 121, 13}, .text = L"Размер игровой зоны:", .style = SS_RIGHT},
    {.kind = K::Combo, .member = &TFMain::ComboBox5, .name = "ComboBox5", .parent = P::TabSheet1,
     .bounds = {136, 192, 145, 21}, .tab_order = 6},
    {.kind = K::Label, .member = &TFMain::Label8, .names = &TFMain::ComboBox6,
     .parent = P::TabSheet1,
     .bounds = {8, 232, 121, 13}, .text = L"Ландшафт:", .style = SS_RIGHT},
    {.kind = K::DropList, .member = &TFMain::ComboBox6, .name = "ComboBox6", .parent = P::TabSheet1,
     .bounds = {136, 224, 145, 21}, .tab_order = 7, .visible_rows = 81},
    {.kind = K::Label, .member = &TFMain::LabeledEdit2Label, .names = &TFMain::LabeledEdit2,
     .parent = P::TabSheet1,
     .bounds = {0, 248, 207, 13}, .text = L"Ссылка на скриншот или логотип карты:"},
    {.kind = K::Edit, .member = &TFMain::LabeledEdit2, .name = "LabeledEdit2", .parent = P::TabSheet1,
     .bounds = {0, 264, 281, 21}, .tab_order = 10},
    {.kind = K::Label, .member = &TFMain::Label10, .parent = P::TabSheet1,
     .bounds = {96, 280, 3, 13}},
    {.kind = K::Label, .member = &TFMain::Label9, .names = &TFMain::Memo1,
     .parent = P::TabSheet1,
     .bounds = {0, 288, 129, 13}, .text = L"Описание игры, правила:"},
    {.kind = K::Memo, .member = &TFMain::Memo1, .name = "Memo1", .parent = P::TabSheet1,
     .bounds = {0, 304, 281, 149},
     .text = L"Здесь напишите правила игры, лог изменений \r\n"
             L"или отличия от предыдущей версии.\r\n",
     .tab_order = 8, .anchors = kLTB, .style = kBothBars},
    {.kind = K::Label, .member = &TFMain::Label27, .names = &TFMain::Edit7,
     .parent = P::TabSheet1,
     .bounds = {5, 460, 116, 13}, .text = L"Сайт карты (источник):", .anchors = kBottom,
     .style = SS_RIGHT, .wraps = true},
    {.kind = K::Edit, .member = &TFMain::Edit7, .name = "Edit7", .parent = P::TabSheet1,
     .bounds = {120, 460, 161, 21}, .tab_order = 13, .anchors = kBottom},
    {.kind = K::Button, .member = &TFMain::Button1, .parent = P::TabSheet1,
     .bounds = {0, 484, 147, 25}, .text = kGenerate, .tab_order = 9, .anchors = kLB,
     .on_click = &TFMain::Button1Click},
    {.kind = K::Button, .member = &TFMain::Button4, .parent = P::TabSheet1,
     .bounds = {152, 484, 129, 25}, .text = kClear, .tab_order = 14, .anchors = kBottom,
     .on_click = &TFMain::Button4Click},

    // sounds
    {.kind = K::Label, .member = &TFMain::Label14, .names = &TFMain::Edit8,
     .parent = P::TabSheet2,
     .bounds = {8, 16, 53, 13}, .text = L"Название:"},
    {.kind = K::Edit, .member = &TFMain::Edit8, .name = "Edit8", .parent = P::TabSheet2,
     .bounds = {64, 8, 217, 21}, .text = L"Неизвестено", .tab_order = 0},
    {.kind = K::Label, .member = &TFMain::Label28, .names = &TFMain::Edit9,
     .parent = P::TabSheet2,
     .bounds = {8, 40, 76, 13}, .text = L"Длительность:"},
    {.kind = K::Edit, .member = &TFMain::Edit9, .name = "Edit9", .parent = P::TabSheet2,
     .bounds = {104, 32, 177, 21}, .text = L"0:00:00", .tab_order = 1},
    {.kind = K::Label, .member = &TFMain::Label29, .names = &TFMain::ComboBox12,
     .parent = P::TabSheet2,
     .bounds = {8, 64, 22, 13}, .text = L"Тип:"},
    {.kind = K::Combo, .member = &TFMain::ComboBox12, .name = "ComboBox12", .parent = P::TabSheet2,
     .bounds = {104, 56, 177, 21}, .tab_order = 9},
    {.kind = K::Label, .member = &TFMain::Label30, .names = &TFMain::ComboBox9,
     .parent = P::TabSheet2,
     .bounds = {8, 88, 45, 13}, .text = L"Формат:"},
    {.kind = K::Combo, .member = &TFMain::ComboBox9, .name = "ComboBox9", .parent = P::TabSheet2,
     .bounds = {104, 80, 177, 21}, .tab_order = 2},
    {.kind = K::Label, .member = &TFMain::Label31, .names = &TFMain::ComboBox10,
     .parent = P::TabSheet2,
     .bounds = {8, 112, 45, 13}, .text = L"Битрейд:"},
    {.kind = K::Combo, .member = &TFMain::ComboBox10, .name = "ComboBox10", .parent = P::TabSheet2,
     .bounds = {104, 104, 177, 21}, .tab_order = 3},
    {.kind = K::Label, .member = &TFMain::Label32, .names = &TFMain::ComboBox11,
     .parent = P::TabSheet2,
     .bounds = {8, 136, 83, 13}, .text = L"Дискретизация:", .wraps = true},
    {.kind = K::Combo, .member = &TFMain::ComboBox11, .name = "ComboBox11", .parent = P::TabSheet2,
     .bounds = {104, 128, 177, 21}, .tab_order = 4},
    {.kind = K::Label, .member = &TFMain::Label34, .names = &TFMain::Memo6,
     .parent = P::TabSheet2,
     .bounds = {0, 288, 53, 13}, .text = L"Описание:"},
    {.kind = K::Memo, .member = &TFMain::Memo6, .name = "Memo6", .parent = P::TabSheet2,
     .bounds = {0, 304, 281, 149},
     .text = L"Здесь напишите описание звка, лог изменений \r\n"
             L"или отличия от предыдущей версии.\r\n",
     .tab_order = 8, .anchors = kLTB, .style = kBothBars},
    {.kind = K::Label, .member = &TFMain::Label33, .names = &TFMain::Edit11,
     .parent = P::TabSheet2,
     .bounds = {7, 460, 114, 13}, .text = L"Сайт звука (источник):", .anchors = kBottom,
     .style = SS_RIGHT, .wraps = true},
    {.kind = K::Edit, .member = &TFMain::Edit11, .name = "Edit11", .parent = P::TabSheet2,
     .bounds = {120, 460, 161, 21}, .tab_order = 5, .anchors = kBottom},
    {.kind = K::Button, .member = &TFMain::Button9, .parent = P::TabSheet2,
     .bounds = {0, 484, 147, 25}, .text = kGenerate, .tab_order = 6, .anchors = kLB,
     .on_click = &TFMain::Button9Click},
    {.kind = K::Button, .member = &TFMain::Button10, .parent = P::TabSheet2,
     .bounds = {152, 484, 129, 25}, .text = kClear, .tab_order = 7, .anchors = kBottom,
     .on_click = &TFMain::Button10Click},

    // models
    {.kind = K::Label, .member = &TFMain::Label16, .names = &TFMain::Edit4,
     .parent = P::TabSheet3,
     .bounds = {0, 8, 74, 13}, .text = L"Автор модели:"},
    {.kind = K::Edit, .member = &TFMain::Edit4, .name = "Edit4", .parent = P::TabSheet3,
     .bounds = {88, 0, 193, 21}, .text = L"Неизвестен", .tab_order = 0},
    {.kind = K::Label, .member = &TFMain::Label17, .names = &TFMain::Edit5,
     .parent = P::TabSheet3,
     .bounds = {0, 32, 41, 13}, .text = L"Версия:", .style = SS_RIGHT},
    {.kind = K::Edit, .member = &TFMain::Edit5, .name = "Edit5", .parent = P::TabSheet3,
     .bounds = {48, 24, 97, 21}, .text = L"1.00", .tab_order = 1},
    {.kind = K::Label, .member = &TFMain::Label18, .names = &TFMain::DateTimePicker2,
     .parent = P::TabSheet3,
     .bounds = {152, 32, 11, 13}, .text = L"от"},
    {.kind = K::DatePicker, .member = &TFMain::DateTimePicker2, .name = "DateTimePicker2", .parent = P::TabSheet3,
     .bounds = {168, 24, 97, 21}, .tab_order = 2, .hint = kPickerHint},
    {.kind = K::DateToggle, .member = &TFMain::CheckBox2, .name = "CheckBox2", .parent = P::TabSheet3,
     .bounds = {264, 24, 17, 21}, .tab_order = 3, .hint = kToggleHint,
     .on_click = &TFMain::CheckBox1Click, .on_mouse_move = &TFMain::CheckBox1MouseMove},
    {.kind = K::Label, .member = &TFMain::Label21, .names = &TFMain::Memo2,
     .parent = P::TabSheet3,
     .bounds = {0, 48, 137, 13}, .text = L"Импортируемые текстуры:"},
    {.kind = K::Memo, .member = &TFMain::Memo2, .name = "Memo2", .parent = P::TabSheet3,
     .bounds = {0, 64, 281, 137},
     .text = L"Если импортируемых текстур нет, \r\n"
             L"очистите это поле.\r\n"
             L"\r\n"
             L"Пример пути к текстуре:\r\n"
             L"Textures\\Primer.blp\r\n",
     .tab_order = 4, .style = kBothBars},
    {.kind = K::Label, .member = &TFMain::Label25, .names = &TFMain::Memo5,
     .parent = P::TabSheet3,
     .bounds = {0, 200, 203, 13}, .text = L"Ссылки на скриншоты (с новой строки):"},
    {.kind = K::Memo, .member = &TFMain::Memo5, .name = "Memo5", .parent = P::TabSheet3,
     .bounds = {0, 216, 281, 65},
     .text = L"HTTP://Скриншот_по_центру_320х200.jpg\r\n"
             L"HTTP://Скриншот_Как_ссылка1.jpg \r\n"
             L"HTTP://Скриншот_Как_ссылка2.jpg\r\n"
             L"...\r\n"
             L"HTTP://Скриншот_Как_ссылка9.jpg\r\n",
     .tab_order = 7, .style = WS_VSCROLL},
    {.kind = K::Label, .member = &TFMain::Label22, .names = &TFMain::Memo3,
     .parent = P::TabSheet3,
     .bounds = {0, 280, 94, 13}, .text = L"Описание модели:"},
    {.kind = K::Memo, .member = &TFMain::Memo3, .name = "Memo3", .parent = P::TabSheet3,
     .bounds = {0, 296, 281, 177}, .tab_order = 5, .anchors = kLTB, .style = kBothBars},
    {.kind = K::Button, .member = &TFMain::Button3, .parent = P::TabSheet3,
     .bounds = {0, 480, 147, 25}, .text = kGenerate, .tab_order = 6, .anchors = kLB,
     .on_click = &TFMain::Button3Click},
    {.kind = K::Button, .member = &TFMain::Button5, .parent = P::TabSheet3,
     .bounds = {152, 480, 129, 25}, .text = kClear, .tab_order = 8, .anchors = kLB,
     .on_click = &TFMain::Button5Click},

    // textures
    {.kind = K::Label, .member = &TFMain::Label15, .names = &TFMain::Edit3,
     .parent = P::TabSheet4,
     .bounds = {0, 8, 83, 13}, .text = L"Автор текстуры:"},
    {.kind = K::Edit, .member = &TFMain::Edit3, .name = "Edit3", .parent = P::TabSheet4,
     .bounds = {88, 0, 193, 21}, .text = L"Неизвестен", .tab_order = 0},
    {.kind = K::Label, .member = &TFMain::Label19, .names = &TFMain::Edit6,
     .parent = P::TabSheet4,
     .bounds = {0, 72, 41, 13}, .text = L"Версия:", .style = SS_RIGHT},
    {.kind = K::Edit, .member = &TFMain::Edit6, .name = "Edit6", .parent = P::TabSheet4,
     .bounds = {48, 64, 97, 21}, .text = L"1.00", .tab_order = 2},
    {.kind = K::Label, .member = &TFMain::Label20, .names = &TFMain::DateTimePicker3,
     .parent = P::TabSheet4,
     .bounds = {152, 72, 11, 13}, .text = L"от"},
    {.kind = K::DatePicker, .member = &TFMain::DateTimePicker3, .name = "DateTimePicker3", .parent = P::TabSheet4,
     .bounds = {168, 64, 97, 21}, .tab_order = 3, .hint = kPickerHint},
    {.kind = K::DateToggle, .member = &TFMain::CheckBox3, .name = "CheckBox3", .parent = P::TabSheet4,
     .bounds = {264, 64, 17, 21}, .tab_order = 1, .hint = kToggleHint,
     .on_click = &TFMain::CheckBox1Click, .on_mouse_move = &TFMain::CheckBox1MouseMove},
    {.kind = K::Label, .member = &TFMain::Label24, .names = &TFMain::ComboBox7,
     .parent = P::TabSheet4,
     .bounds = {0, 96, 144, 13}, .text = L"Использовать как текстуру:"},
    {.kind = K::Combo, .member = &TFMain::ComboBox7, .name = "ComboBox7", .parent = P::TabSheet4,
     .bounds = {0, 112, 281, 21}, .tab_order = 6},
    {.kind = K::Label, .member = &TFMain::Label26, .names = &TFMain::ComboBox8,
     .parent = P::TabSheet4,
     .bounds = {0, 136, 132, 13}, .text = L"Использовать на модель:"},
    {.kind = K::Combo, .member = &TFMain::ComboBox8, .name = "ComboBox8", .parent = P::TabSheet4,
     .bounds = {0, 152, 281, 21}, .tab_order = 7},
    {.kind = K::Label, .member = &TFMain::Label23, .names = &TFMain::Memo4,
     .parent = P::TabSheet4,
     .bounds = {0, 240, 103, 13}, .text = L"Описание текстуры:"},
    {.kind = K::Memo, .member = &TFMain::Memo4, .name = "Memo4", .parent = P::TabSheet4,
     .bounds = {0, 256, 281, 217}, .tab_order = 4, .anchors = kLTB, .style = kBothBars},
    {.kind = K::Button, .member = &TFMain::Button2, .parent = P::TabSheet4,
     .bounds = {0, 480, 147, 25}, .text = kGenerate, .tab_order = 5, .anchors = kLB,
     .on_click = &TFMain::Button2Click},
    {.kind = K::Button, .member = &TFMain::Button6, .parent = P::TabSheet4,
     .bounds = {152, 480, 129, 25}, .text = kClear, .tab_order = 8, .anchors = kLB,
     .on_click = &TFMain::Button6Click},
};

}  // namespace

std::span<const ControlRow> main_window_rows() { return kRows; }

const ControlRow* main_window_row(std::string_view name) {
    const auto row =
        std::find_if(std::begin(kRows), std::end(kRows), [&](const ControlRow& r) { return r.name == name; });
    return row == std::end(kRows) ? nullptr : row;
}

}  // namespace tessivar
