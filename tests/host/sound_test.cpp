#include <gtest/gtest.h>

#include "expected.h"
#include "tests/host/tab_snapshots.h"
#include "worked_examples.h"

namespace tessivar {
namespace {

const Lines worked_fields = {
    "[color=#9999FF]Название:[/color] [color=red]Шум дождя[/color]",
    "[color=#9999FF]Длительность:[/color] 0:01:30",
    "[color=#9999FF]Тип:[/color] Музыка",
    "[color=#9999FF]Формат:[/color] MP3",
    "[color=#9999FF]Битрейд:[/color] 128 Kbit/s",
    "[color=#9999FF]Частота дискретизации:[/color] 44 100 Hz",
};

Lines full_with(const Lines& fields, const Lines& rest) {
    Lines lines{expected::credit};
    lines.insert(lines.end(), fields.begin(), fields.end());
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

TEST(SoundDescription, WorkedExample) {
    const auto d = describe_sound(examples::sound());
    EXPECT_EQ(d.short_lines, worked_fields);
    EXPECT_EQ(d.full_lines, full_with(worked_fields, {
        "[color=#FFFFFF]",
        "Тихий дождь за окном.",
        "Подходит для меню игры.",
        "[/color]",
    }));
}

TEST(SoundDescription, ASourceGoesBetweenTheFieldsAndTheWhiteBlock) {
    auto tab = examples::sound();
    tab.Edit11 = "sounds/rain.html";
    auto expected_full = describe_sound(examples::sound()).full_lines;
    expected_full.insert(expected_full.begin() + 7,
                         "[color=#9999FF]Источник:[/color] [url=sounds/rain.html]sounds/rain.html[/url]");
    const auto d = describe_sound(tab);
    EXPECT_EQ(d.full_lines, expected_full);
    EXPECT_EQ(d.short_lines, worked_fields);

    tab.Edit11 = " ";
    const auto blank = describe_sound(tab);
    ASSERT_EQ(blank.full_lines.size(), 12u);
    EXPECT_EQ(blank.full_lines[7], "[color=#9999FF]Источник:[/color] [url= ] [/url]");
}

const Lines empty_fields = {
    "[color=#9999FF]Название:[/color] [color=red][/color]",
    "[color=#9999FF]Длительность:[/color] ",
    "[color=#9999FF]Тип:[/color] ",
    "[color=#9999FF]Формат:[/color] ",
    "[color=#9999FF]Битрейд:[/color] ",
    "[color=#9999FF]Частота дискретизации:[/color] ",
};

TEST(SoundDescription, EmptyFieldsKeepTheLabelsFinalBlank) {
    const auto d = describe_sound(SoundTab{});
    EXPECT_EQ(d.short_lines, empty_fields);
    EXPECT_EQ(d.full_lines, full_with(empty_fields, {"[color=#FFFFFF]", "[/color]"}));
}

TEST(SoundDescription, StartValues) {
    SoundTab tab;
    tab.Edit8 = "Неизвестено";
    tab.Edit9 = "0:00:00";
    tab.Memo6 = {"Здесь напишите описание звка, лог изменений ", "или отличия от предыдущей версии."};
    auto start_fields = empty_fields;
    start_fields[0] = "[color=#9999FF]Название:[/color] [color=red]Неизвестено[/color]";
    start_fields[1] = "[color=#9999FF]Длительность:[/color] 0:00:00";
    const auto d = describe_sound(tab);
    EXPECT_EQ(d.short_lines, start_fields);
    EXPECT_EQ(d.full_lines, full_with(start_fields, {"[color=#FFFFFF]", tab.Memo6[0], tab.Memo6[1],
                                                     "[/color]"}));
}

}  // namespace
}  // namespace tessivar
