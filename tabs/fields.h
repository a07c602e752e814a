#pragma once
// Each tab's fields, a table per tab and a row per field: everything that
// walks a tab's fields reads them here (what is kept and under which key,
// what layouts call it, what «Очистить» empties, the history a box shares,
// the list a combo box offers, where it stands on its page and the label
// that names it), so that no two lists are matched by their order. A row's
// place in its table is its place in the tab's values.
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "history/history.h"
#include "tabs/choice_lists.h"
#include "tabs/design.h"
#include "tabs/tab.h"

namespace tessivar {

enum class Input {
    Edit,
    Combo,       // free text or a choice from the list
    DropList,    // a choice from the list only
    Memo,        // multi-line
    DateToggle,  // whether the tab's date is known
    DatePicker,
};

enum class Bars { None, Vertical, Both };

// The text before a field that names it, for the eye and for screen readers.
struct FieldLabel {
    std::string_view name;  // the label's control name
    const wchar_t* text = L"";
    Bounds at = {};
    bool right_aligned = false;
    bool wraps = false;  // breaks into lines at its width
    unsigned anchors = kTopLeft;
};

struct TabField {
    std::string_view control;  // the control's name, and the key its value is kept under
    Input input;
    std::string_view layout_name = {};  // none for the toggle: the date reads as empty while it is off
    bool cleared = false;               // «Очистить» empties it
    std::optional<history::Meaning> history = std::nullopt;  // the boxes of one meaning share it
    std::span<const std::string_view> choices = {};
    // On its tab's page, at 96 dpi.
    Bounds at = {};
    int tab_order = 0;          // within the page
    const wchar_t* text = L"";  // starting content, CR LF after each line of a memo
    unsigned anchors = kTopLeft;
    Bars bars = Bars::None;     // memos
    int visible_rows = 8;       // combo boxes: rows the drop-down shows at most
    FieldLabel label = {};      // none for the toggle
};

namespace tab_tables {

using I = Input;
using M = history::Meaning;
constexpr unsigned kLTB = kLeft | kTop | kBottom;

inline constexpr TabField maps[] = {
    {.control = "Edit2", .input = I::Edit, .layout_name = "Автор карты", .cleared = true, .history = M::Author,
     .at = {88, 0, 193, 21}, .tab_order = 11, .text = L"Неизвестен",
     .label = {"Label11", L"Автор карты:", {0, 8, 67, 13}}},
    {.control = "ComboBox1", .input = I::Combo, .layout_name = "Жанр карты", .cleared = true,
     .choices = choices::genres, .at = {88, 32, 193, 21}, .tab_order = 0, .visible_rows = 81,
     .label = {"Label1", L"Жанр карты:", {0, 40, 65, 13}, true}},
    {.control = "Edit1", .input = I::Edit, .layout_name = "Версия", .cleared = true, .history = M::Version,
     .at = {48, 64, 97, 21}, .tab_order = 1, .text = L"1.00",
     .label = {"Label2", L"Версия:", {0, 72, 41, 13}, true}},
    {.control = "CheckBox1", .input = I::DateToggle, .at = {266, 64, 97, 21}, .tab_order = 12},
    {.control = "DateTimePicker1", .input = I::DatePicker, .layout_name = "Дата", .at = {168, 64, 97, 21},
     .tab_order = 2, .label = {"Label3", L"от", {152, 72, 11, 13}}},
    {.control = "ComboBox2", .input = I::Combo, .layout_name = "Язык", .cleared = true,
     .choices = choices::languages, .at = {48, 96, 233, 21}, .tab_order = 3,
     .label = {"Label4", L"Язык:", {0, 104, 41, 13}, true}},
    {.control = "ComboBox3", .input = I::Combo, .layout_name = "Количество игроков", .cleared = true,
     .choices = choices::players, .at = {136, 128, 145, 21}, .tab_order = 4, .visible_rows = 151,
     .label = {"Label5", L"Количество игроков:", {8, 136, 121, 13}, true}},
    {.control = "ComboBox4", .input = I::Combo, .layout_name = "Поддержка компьютера", .cleared = true,
     .choices = choices::computer_support, .at = {136, 160, 145, 21}, .tab_order = 5,
     .label = {"Label6", L"Поддержка компьютера:", {2, 168, 127, 13}, true}},
    {.control = "ComboBox5", .input = I::Combo, .layout_name = "Размер игровой зоны", .cleared = true,
     .choices = choices::map_sizes, .at = {136, 192, 145, 21}, .tab_order = 6,
     .label = {"Label7", L"Размер игровой зоны:", {8, 200, 121, 13}, true}},
    {.control = "ComboBox6", .input = I::DropList, .layout_name = "Ландшафт", .choices = choices::landscapes,
     .at = {136, 224, 145, 21}, .tab_order = 7, .visible_rows = 81,
     .label = {"Label8", L"Ландшафт:", {8, 232, 121, 13}, true}},
    {.control = "LabeledEdit2", .input = I::Edit, .layout_name = "Ссылка на скриншот или логотип карты",
     .cleared = true, .history = M::Screenshot, .at = {0, 264, 281, 21}, .tab_order = 10,
     .label = {"LabeledEdit2Label", L"Ссылка на скриншот или логотип карты:", {0, 248, 207, 13}}},
    {.control = "Memo1", .input = I::Memo, .layout_name = "Описание игры, правила", .cleared = true,
     .at = {0, 304, 281, 149}, .tab_order = 8,
     .text = L"Здесь напишите правила игры, лог изменений \r\n"
             L"или отличия от предыдущей версии.\r\n",
     .anchors = kLTB, .bars = Bars::Both, .label = {"Label9", L"Описание игры, правила:", {0, 288, 129, 13}}},
    {.control = "Edit7", .input = I::Edit, .layout_name = "Сайт карты (источник)", .cleared = true,
     .history = M::Site, .at = {120, 460, 161, 21}, .tab_order = 13, .anchors = kBottom,
     .label = {"Label27", L"Сайт карты (источник):", {5, 460, 116, 13}, true, true, kBottom}},
};

inline constexpr TabField sounds[] = {
    {.control = "Edit8", .input = I::Edit, .layout_name = "Название", .cleared = true, .history = M::SoundTitle,
     .at = {64, 8, 217, 21}, .tab_order = 0, .text = L"Неизвестено",
     .label = {"Label14", L"Название:", {8, 16, 53, 13}}},
    {.control = "Edit9", .input = I::Edit, .layout_name = "Длительность", .cleared = true,
     .history = M::Duration, .at = {104, 32, 177, 21}, .tab_order = 1, .text = L"0:00:00",
     .label = {"Label28", L"Длительность:", {8, 40, 76, 13}}},
    {.control = "ComboBox12", .input = I::Combo, .layout_name = "Тип", .cleared = true,
     .choices = choices::sound_kinds, .at = {104, 56, 177, 21}, .tab_order = 9,
     .label = {"Label29", L"Тип:", {8, 64, 22, 13}}},
    {.control = "ComboBox9", .input = I::Combo, .layout_name = "Формат", .cleared = true,
     .choices = choices::formats, .at = {104, 80, 177, 21}, .tab_order = 2,
     .label = {"Label30", L"Формат:", {8, 88, 45, 13}}},
    {.control = "ComboBox10", .input = I::Combo, .layout_name = "Битрейд", .cleared = true,
     .choices = choices::bit_rates, .at = {104, 104, 177, 21}, .tab_order = 3,
     .label = {"Label31", L"Битрейд:", {8, 112, 45, 13}}},
    {.control = "ComboBox11", .input = I::Combo, .layout_name = "Дискретизация", .cleared = true,
     .choices = choices::sampling_rates, .at = {104, 128, 177, 21}, .tab_order = 4,
     .label = {"Label32", L"Дискретизация:", {8, 136, 83, 13}, false, true}},
    {.control = "Memo6", .input = I::Memo, .layout_name = "Описание", .cleared = true,
     .at = {0, 304, 281, 149}, .tab_order = 8,
     .text = L"Здесь напишите описание звка, лог изменений \r\n"
             L"или отличия от предыдущей версии.\r\n",
     .anchors = kLTB, .bars = Bars::Both, .label = {"Label34", L"Описание:", {0, 288, 53, 13}}},
    {.control = "Edit11", .input = I::Edit, .layout_name = "Сайт звука (источник)", .history = M::Site,
     .at = {120, 460, 161, 21}, .tab_order = 5, .anchors = kBottom,
     .label = {"Label33", L"Сайт звука (источник):", {7, 460, 114, 13}, true, true, kBottom}},
};

inline constexpr TabField models[] = {
    {.control = "Edit4", .input = I::Edit, .layout_name = "Автор модели", .cleared = true, .history = M::Author,
     .at = {88, 0, 193, 21}, .tab_order = 0, .text = L"Неизвестен",
     .label = {"Label16", L"Автор модели:", {0, 8, 74, 13}}},
    {.control = "Edit5", .input = I::Edit, .layout_name = "Версия", .cleared = true, .history = M::Version,
     .at = {48, 24, 97, 21}, .tab_order = 1, .text = L"1.00",
     .label = {"Label17", L"Версия:", {0, 32, 41, 13}, true}},
    {.control = "CheckBox2", .input = I::DateToggle, .at = {264, 24, 17, 21}, .tab_order = 3},
    {.control = "DateTimePicker2", .input = I::DatePicker, .layout_name = "Дата", .at = {168, 24, 97, 21},
     .tab_order = 2, .label = {"Label18", L"от", {152, 32, 11, 13}}},
    {.control = "Memo2", .input = I::Memo, .layout_name = "Импортируемые текстуры", .cleared = true,
     .at = {0, 64, 281, 137}, .tab_order = 4,
     .text = L"Если импортируемых текстур нет, \r\n"
             L"очистите это поле.\r\n"
             L"\r\n"
             L"Пример пути к текстуре:\r\n"
             L"Textures\\Primer.blp\r\n",
     .bars = Bars::Both, .label = {"Label21", L"Импортируемые текстуры:", {0, 48, 137, 13}}},
    {.control = "Memo5", .input = I::Memo, .layout_name = "Ссылки на скриншоты (с новой строки)", .cleared = true,
     .at = {0, 216, 281, 65}, .tab_order = 7,
     .text = L"HTTP://Скриншот_по_центру_320х200.jpg\r\n"
             L"HTTP://Скриншот_Как_ссылка1.jpg \r\n"
             L"HTTP://Скриншот_Как_ссылка2.jpg\r\n"
             L"...\r\n"
             L"HTTP://Скриншот_Как_ссылка9.jpg\r\n",
     .bars = Bars::Vertical, .label = {"Label25", L"Ссылки на скриншоты (с новой строки):", {0, 200, 203, 13}}},
    {.control = "Memo3", .input = I::Memo, .layout_name = "Описание модели", .cleared = true,
     .at = {0, 296, 281, 177}, .tab_order = 5, .anchors = kLTB, .bars = Bars::Both,
     .label = {"Label22", L"Описание модели:", {0, 280, 94, 13}}},
};

inline constexpr TabField textures[] = {
    {.control = "Edit3", .input = I::Edit, .layout_name = "Автор текстуры", .cleared = true, .history = M::Author,
     .at = {88, 0, 193, 21}, .tab_order = 0, .text = L"Неизвестен",
     .label = {"Label15", L"Автор текстуры:", {0, 8, 83, 13}}},
    {.control = "Edit6", .input = I::Edit, .layout_name = "Версия", .cleared = true, .history = M::Version,
     .at = {48, 64, 97, 21}, .tab_order = 2, .text = L"1.00",
     .label = {"Label19", L"Версия:", {0, 72, 41, 13}, true}},
    {.control = "CheckBox3", .input = I::DateToggle, .at = {264, 64, 17, 21}, .tab_order = 1},
    {.control = "DateTimePicker3", .input = I::DatePicker, .layout_name = "Дата", .at = {168, 64, 97, 21},
     .tab_order = 3, .label = {"Label20", L"от", {152, 72, 11, 13}}},
    {.control = "ComboBox7", .input = I::Combo, .layout_name = "Использовать как текстуру", .cleared = true,
     .choices = choices::texture_paths, .at = {0, 112, 281, 21}, .tab_order = 6,
     .label = {"Label24", L"Использовать как текстуру:", {0, 96, 144, 13}}},
    {.control = "ComboBox8", .input = I::Combo, .layout_name = "Использовать на модель", .cleared = true,
     .choices = choices::models, .at = {0, 152, 281, 21}, .tab_order = 7,
     .label = {"Label26", L"Использовать на модель:", {0, 136, 132, 13}}},
    {.control = "Memo4", .input = I::Memo, .layout_name = "Описание текстуры", .cleared = true,
     .at = {0, 256, 281, 217}, .tab_order = 4, .anchors = kLTB, .bars = Bars::Both,
     .label = {"Label23", L"Описание текстуры:", {0, 240, 103, 13}}},
};

}  // namespace tab_tables

constexpr std::span<const TabField> fields_of(Tab tab) {
    switch (tab) {
        case Tab::Maps: return tab_tables::maps;
        case Tab::Sounds: return tab_tables::sounds;
        case Tab::Models: return tab_tables::models;
        case Tab::Textures: break;
    }
    return tab_tables::textures;
}

// Every tab's fields, one tab after another.
constexpr std::size_t field_count() {
    std::size_t count = 0;
    for (Tab tab : kTabs) count += fields_of(tab).size();
    return count;
}

// The fields a layout names on the tab with the most.
constexpr std::size_t most_layout_fields() {
    std::size_t most = 0;
    for (Tab tab : kTabs) {
        std::size_t named = 0;
        for (const TabField& field : fields_of(tab)) named += field.layout_name.empty() ? 0 : 1;
        most = named > most ? named : most;
    }
    return most;
}

// The field of `tab` whose box shares `meaning`'s history, if one does.
std::optional<std::size_t> field_with_history(Tab tab, history::Meaning meaning);

}  // namespace tessivar
