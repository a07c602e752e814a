#pragma once
// Each tab's fields, a table per tab and a row per field: everything that
// walks a tab's fields reads them here (what is kept and under which key,
// what layouts call it, what «Очистить» empties, the history a box shares,
// the list a combo box offers), so that no two lists are matched by their
// order. A row's place in its table is its place in the tab's values.
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "history/history.h"
#include "tabs/choice_lists.h"
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

struct TabField {
    std::string_view control;  // the control's name, and the key its value is kept under
    Input input;
    std::string_view layout_name = {};  // none for the toggle: the date reads as empty while it is off
    bool cleared = false;               // «Очистить» empties it
    std::optional<history::Meaning> history = std::nullopt;  // the boxes of one meaning share it
    std::span<const std::string_view> choices = {};
};

namespace tab_tables {

using I = Input;
using M = history::Meaning;
constexpr bool kCleared = true;

inline constexpr TabField maps[] = {
    {"Edit2", I::Edit, "Автор карты", kCleared, M::Author},
    {"ComboBox1", I::Combo, "Жанр карты", kCleared, {}, choices::genres},
    {"Edit1", I::Edit, "Версия", kCleared, M::Version},
    {"CheckBox1", I::DateToggle},
    {"DateTimePicker1", I::DatePicker, "Дата"},
    {"ComboBox2", I::Combo, "Язык", kCleared, {}, choices::languages},
    {"ComboBox3", I::Combo, "Количество игроков", kCleared, {}, choices::players},
    {"ComboBox4", I::Combo, "Поддержка компьютера", kCleared, {}, choices::computer_support},
    {"ComboBox5", I::Combo, "Размер игровой зоны", kCleared, {}, choices::map_sizes},
    {"ComboBox6", I::DropList, "Ландшафт", false, {}, choices::landscapes},
    {"LabeledEdit2", I::Edit, "Ссылка на скриншот или логотип карты", kCleared, M::Screenshot},
    {"Memo1", I::Memo, "Описание игры, правила", kCleared},
    {"Edit7", I::Edit, "Сайт карты (источник)", kCleared, M::Site},
};

inline constexpr TabField sounds[] = {
    {"Edit8", I::Edit, "Название", kCleared, M::SoundTitle},
    {"Edit9", I::Edit, "Длительность", kCleared, M::Duration},
    {"ComboBox12", I::Combo, "Тип", kCleared, {}, choices::sound_kinds},
    {"ComboBox9", I::Combo, "Формат", kCleared, {}, choices::formats},
    {"ComboBox10", I::Combo, "Битрейд", kCleared, {}, choices::bit_rates},
    {"ComboBox11", I::Combo, "Дискретизация", kCleared, {}, choices::sampling_rates},
    {"Memo6", I::Memo, "Описание", kCleared},
    {"Edit11", I::Edit, "Сайт звука (источник)", false, M::Site},
};

inline constexpr TabField models[] = {
    {"Edit4", I::Edit, "Автор модели", kCleared, M::Author},
    {"Edit5", I::Edit, "Версия", kCleared, M::Version},
    {"CheckBox2", I::DateToggle},
    {"DateTimePicker2", I::DatePicker, "Дата"},
    {"Memo2", I::Memo, "Импортируемые текстуры", kCleared},
    {"Memo5", I::Memo, "Ссылки на скриншоты (с новой строки)", kCleared},
    {"Memo3", I::Memo, "Описание модели", kCleared},
};

inline constexpr TabField textures[] = {
    {"Edit3", I::Edit, "Автор текстуры", kCleared, M::Author},
    {"Edit6", I::Edit, "Версия", kCleared, M::Version},
    {"CheckBox3", I::DateToggle},
    {"DateTimePicker3", I::DatePicker, "Дата"},
    {"ComboBox7", I::Combo, "Использовать как текстуру", kCleared, {}, choices::texture_paths},
    {"ComboBox8", I::Combo, "Использовать на модель", kCleared, {}, choices::models},
    {"Memo4", I::Memo, "Описание текстуры", kCleared},
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
