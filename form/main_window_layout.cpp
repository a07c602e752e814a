// The main window as a form designer would store it: every control with its
// bounds at 96 dpi, starting content, tab order, anchors and hint. A tab's
// fields and their labels come from the tab's table.
#include "form/main_window.h"

#include <algorithm>
#include <vector>

#include "tabs/fields.h"

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
constexpr const wchar_t* kPageCaptions[kTabCount] = {L"Карты", L"Звуки", L"Модели", L"Текстуры"};

constexpr ControlRow kRows[] = {
    // the window itself
    {.kind = K::MenuBar, .member = &TFMain::ActionMainMenuBar1, .parent = P::Window,
     .bounds = {0, 0, 640, 24}, .anchors = kLTR},
    {.kind = K::Label, .member = &TFMain::Label12, .names = "Disc1",
     .parent = P::Window,
     .bounds = {296, 8, 154, 13}, .text = L"Краткое описание материала:"},
    {.kind = K::PageControl, .member = &TFMain::PageControl1, .name = "PageControl1", .parent = P::Window,
     .bounds = {0, 22, 289, 541}, .tab_order = 0, .anchors = kLTB},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet1, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = kPageCaptions[0], .tab_order = kPagesTabOrder, .anchors = kLTB,
     .on_mouse_move = &TFMain::TabSheet1MouseMove},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet2, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = kPageCaptions[1], .tab_order = kPagesTabOrder, .anchors = kLTB},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet3, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = kPageCaptions[2], .tab_order = kPagesTabOrder, .anchors = kLTB},
    {.kind = K::TabSheet, .member = &TFMain::TabSheet4, .parent = P::Window,
     .bounds = {4, 46, 281, 513}, .text = kPageCaptions[3], .tab_order = kPagesTabOrder, .anchors = kLTB},
    {.kind = K::Memo, .member = &TFMain::Disc1, .name = "Disc1", .parent = P::Window,
     .bounds = {296, 24, 337, 121}, .text = L"Здесь будет краткое описание материала.\r\n",
     .tab_order = 2, .anchors = kLTR, .style = WS_HSCROLL},
    {.kind = K::Button, .member = &TFMain::Button7, .parent = P::Window,
     .bounds = {480, 144, 155, 25}, .text = kCopy, .tab_order = 4, .anchors = kTop | kRight,
     .on_click = &TFMain::Button7Click},
    {.kind = K::Label, .member = &TFMain::Label13, .names = "Disc2",
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
    {.kind = K::Label, .name = "Label10", .parent = P::TabSheet1,
     .bounds = {96, 280, 3, 13}},
    {.kind = K::Button, .member = &TFMain::Button1, .parent = P::TabSheet1,
     .bounds = {0, 484, 147, 25}, .text = kGenerate, .tab_order = 9, .anchors = kLB,
     .on_click = &TFMain::Button1Click},
    {.kind = K::Button, .member = &TFMain::Button4, .parent = P::TabSheet1,
     .bounds = {152, 484, 129, 25}, .text = kClear, .tab_order = 14, .anchors = kBottom,
     .on_click = &TFMain::Button4Click},

    // sounds
    {.kind = K::Button, .member = &TFMain::Button9, .parent = P::TabSheet2,
     .bounds = {0, 484, 147, 25}, .text = kGenerate, .tab_order = 6, .anchors = kLB,
     .on_click = &TFMain::Button9Click},
    {.kind = K::Button, .member = &TFMain::Button10, .parent = P::TabSheet2,
     .bounds = {152, 484, 129, 25}, .text = kClear, .tab_order = 7, .anchors = kBottom,
     .on_click = &TFMain::Button10Click},

    // models
    {.kind = K::Button, .member = &TFMain::Button3, .parent = P::TabSheet3,
     .bounds = {0, 480, 147, 25}, .text = kGenerate, .tab_order = 6, .anchors = kLB,
     .on_click = &TFMain::Button3Click},
    {.kind = K::Button, .member = &TFMain::Button5, .parent = P::TabSheet3,
     .bounds = {152, 480, 129, 25}, .text = kClear, .tab_order = 8, .anchors = kLB,
     .on_click = &TFMain::Button5Click},

    // textures
    {.kind = K::Button, .member = &TFMain::Button2, .parent = P::TabSheet4,
     .bounds = {0, 480, 147, 25}, .text = kGenerate, .tab_order = 5, .anchors = kLB,
     .on_click = &TFMain::Button2Click},
    {.kind = K::Button, .member = &TFMain::Button6, .parent = P::TabSheet4,
     .bounds = {152, 480, 129, 25}, .text = kClear, .tab_order = 8, .anchors = kLB,
     .on_click = &TFMain::Button6Click},
};

// A tab's fields stand on its page, as its table says; each with the label
// that names it, and a date's with the hint that explains it.
Kind kind_of(Input input) {
    switch (input) {
        case Input::Edit: return K::Edit;
        case Input::Combo: return K::Combo;
        case Input::DropList: return K::DropList;
        case Input::Memo: return K::Memo;
        case Input::DateToggle: return K::DateToggle;
        case Input::DatePicker: break;
    }
    return K::DatePicker;
}

DWORD scroll_bars(Bars bars) {
    switch (bars) {
        case Bars::None: return 0;
        case Bars::Vertical: return WS_VSCROLL;
        case Bars::Both: break;
    }
    return kBothBars;
}

ControlRow label_row(const TabField& field, Parent page) {
    const FieldLabel& label = field.label;
    return {.kind = K::Label, .name = label.name, .names = field.control, .parent = page, .bounds = label.at,
            .text = label.text, .anchors = label.anchors, .style = label.right_aligned ? DWORD{SS_RIGHT} : 0,
            .wraps = label.wraps};
}

ControlRow field_row(const TabField& field, Parent page) {
    ControlRow row{.kind = kind_of(field.input), .name = field.control, .parent = page, .bounds = field.at,
                   .text = field.text, .tab_order = field.tab_order, .anchors = field.anchors,
                   .style = scroll_bars(field.bars), .visible_rows = field.visible_rows};
    if (field.input == Input::DatePicker) row.hint = kPickerHint;
    if (field.input == Input::DateToggle) {
        row.hint = kToggleHint;
        row.on_click = &TFMain::CheckBox1Click;
        row.on_mouse_move = &TFMain::CheckBox1MouseMove;
    }
    return row;
}

std::vector<ControlRow> all_rows() {
    std::vector<ControlRow> rows(std::begin(kRows), std::end(kRows));
    for (Tab tab : kTabs) {
        const auto page = static_cast<Parent>(index_of(tab) + 1);
        for (const TabField& field : fields_of(tab)) {
            if (!field.label.name.empty()) rows.push_back(label_row(field, page));
            rows.push_back(field_row(field, page));
        }
    }
    return rows;
}

}  // namespace

const wchar_t* page_caption(Tab tab) { return kPageCaptions[index_of(tab)]; }

std::span<const ControlRow> main_window_rows() {
    static const std::vector<ControlRow> rows = all_rows();
    return rows;
}

const ControlRow* main_window_row(std::string_view name) {
    const auto rows = main_window_rows();
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const ControlRow& r) { return r.name == name; });
    return row == rows.end() ? nullptr : &*row;
}

}  // namespace tessivar
