#pragma once
// The items of the twelve drop-down lists, in the order the user sees them.
#include <span>
#include <string_view>

namespace tessivar {

namespace choices {

// Items are kept character for character as users know them, misspellings and
// stray parentheses included: the descriptions quote the chosen item verbatim.

inline constexpr std::string_view genres[] = {
    "AoS", "AoS: DotA", "Melee", "RPG", "Tower Defence",
    "Arena", "Survival", "Кампания", "Ролик", "Прочее",
};

inline constexpr std::string_view languages[] = {
    "Не имеет значения", "Мультиязычный", "Английский", "Беларусский", "Казахский",
    "Немецкий", "Русский", "Украинский", "Французский",
};

inline constexpr std::string_view players[] = {
    "Для просмотра", "Одиночная", "1-2", "1-4", "1-6", "1-8", "1-10", "1-12", "2-4",
    "2-6", "2-8", "2-10", "2-12", "3-6", "3-12", "4-8", "4-12", "6-12",
};

inline constexpr std::string_view computer_support[] = {
    "Нет", "Полуавтомат", "Только юниты и нейтиралы", "Имеется",
};

// The "х" in these is Cyrillic, as typed on a Russian keyboard layout.
inline constexpr std::string_view map_sizes[] = {
    "32х32", "64х64", "96х96", "128х128", "256х256",
};

inline constexpr std::string_view landscapes[] = {
    "Ашенваль", "Пустоши", "Темная Цитадель", "Город", "Даларан", "Развалины Даларана",
    "Подземелье (огненное)", "Фелвуд", "Ледяная Корона", "Осенний Лордерон",
    "Летний Лордерон", "Зимний Лордерон", "Нортренд", "Глушь", "Затонувший город",
    "Подземелье (ледяное)", "Деревня", "Осеняя Деревня",
};

inline constexpr std::string_view texture_paths[] = {
    "Textures\\HeroMountainKing.blp", "Textures\\IronRaven.blp",
};

inline constexpr std::string_view models[] = {
    "Король гор (Mountain King)", "Смотрящая в ночь (Warden)",
};

inline constexpr std::string_view formats[] = {"OGG", "MP3", "MP4", "WMA", "WAV"};

inline constexpr std::string_view bit_rates[] = {
    "32 Kbit/s", "64 Kbit/s", "96 Kbit/s", "128 Kbit/s", "160 Kbit/s",
    "192 Kbit/s", "224 Kbit/s", "256 Kbit/s", "320 Kbit/s",
};

inline constexpr std::string_view sampling_rates[] = {
    "8 000 Hz)", "11 025 Hz", "22 050 Hz", "44 100 Hz", "48 000 Hz", "96 000 Hz", "192 000 Hz",
};

inline constexpr std::string_view sound_kinds[] = {"Звук)", "Голос", "Музыка", "Песня"};

}  // namespace choices

struct ChoiceList {
    std::string_view combo;  // the control's name, "ComboBox1" ... "ComboBox12"
    std::span<const std::string_view> items;  // UTF-8, display order
};

// Every combo box's list, in the order of the controls' numbers; static
// storage, valid for the program's life.
std::span<const ChoiceList> choice_lists();

}  // namespace tessivar
