#include <gtest/gtest.h>

#include "expected.h"
#include "tests/host/tab_snapshots.h"
#include "worked_examples.h"

namespace tessivar {
namespace {

const Lines installation_notes = {
    "[color=Grey][u]Рекомендации к установке карты:[/u][/color] Поместите скачанную карту в "
    "папку [i]Maps[/i] в той директории,  в которой у вас установлена сама игра; обновите игру "
    "до последней версии (для этого можно скачать патчи с сайта из раздела \"[i]Патчи[/i]\" "
    "или просто зайдя в систему [i]Battle.net[/i],если вы являетесь владельцем официальной "
    "русской версии игры от компании \"[i]СофтКлаб[/i]\".",
    "Решение проблем при установки патча вы можете найти "
    "[url=https://rts-content.example/forum/3-3407-1]здесь[/url].",
    "Прочие решения вы можете найти [url=https://rts-content.example/forum/3-6425-1]здесь[/url].",
};

Lines with_notes(Lines lines) {
    lines.insert(lines.end(), installation_notes.begin(), installation_notes.end());
    return lines;
}

TEST(MapDescription, WorkedExampleDated) {
    const auto d = describe_map(examples::map());
    EXPECT_EQ(d.short_lines, (Lines{
        "[color=Grey]Автор карты:[/color] [color=red]Иван[/color]",
        "[color=Grey]Жанр карты:[/color] [i]Tower Defence[/i]",
        "[color=Grey]Версия: [/color] [i]1.00 [/i] от [i]02.11.2009[/i]",
        "[color=Grey]Язык:[/color] [i]Русский[/i]",
        "[color=Grey]Количество игроков:[/color] [i]1-4[/i]",
        "[color=Grey]Поддержка компьютера:[/color] [i]Нет[/i]",
    }));
    EXPECT_EQ(d.full_lines, with_notes({
        expected::credit,
        "[c][img]images/td-logo.jpg[/img][/c]",
        "[color=Grey]Автор карты:[/color] [color=red]Иван[/color]",
        "[color=Grey]Жанр карты:[/color] [i]Tower Defence[/i]",
        "[color=Grey]Версия: [/color][i]1.00 [/i] от [i]02.11.2009[/i]",
        "[color=Grey]Язык:[/color] [i]Русский[/i]",
        "[color=Grey]Количество игроков:[/color] [i]1-4[/i]",
        "[color=Grey]Поддержка компьютера:[/color] [i]Нет[/i]",
        "[color=Grey]Размер игровой зоны:[/color] [i]64х64[/i]",
        "[color=Grey]Ландшафт:[/color] [i]Летний Лордерон[/i]",
        "[color=Grey]Сайт карты:[/color] [url=maps/td-page.html]maps/td-page.html[/url]",
        "[color=#FFFFFF]",
        "Защитите замок от 30 волн врагов.",
        "",
        "Изменения: первый выпуск.",
        "[/color]",
    }));
}

TEST(MapDescription, WorkedExampleUndatedChangesOnlyTheVersionLines) {
    auto tab = examples::map();
    const auto dated = describe_map(tab);
    tab.CheckBox1 = false;
    const auto undated = describe_map(tab);

    auto short_lines = dated.short_lines;
    short_lines[2] = "[color=Grey]Версия:[/color] [i]1.00 [/i]";
    EXPECT_EQ(undated.short_lines, short_lines);
    auto full_lines = dated.full_lines;
    full_lines[4] = "[color=Grey]Версия: [/color][i]1.00[/i]";
    EXPECT_EQ(undated.full_lines, full_lines);
}

TEST(MapDescription, UndatedIgnoresThePickersText) {
    auto tab = examples::map();
    tab.CheckBox1 = false;
    const auto a = describe_map(tab);
    tab.DateTimePicker1 = "31.12.1999";
    EXPECT_EQ(describe_map(tab).full_lines, a.full_lines);
    EXPECT_EQ(describe_map(tab).short_lines, a.short_lines);
}

TEST(MapDescription, EveryFieldEmptyStillGivesEveryLine) {
    MapTab tab;
    tab.DateTimePicker1 = "02.11.2009";
    const auto d = describe_map(tab);
    EXPECT_EQ(d.short_lines, (Lines{
        "[color=Grey]Автор карты:[/color] [color=red][/color]",
        "[color=Grey]Жанр карты:[/color] [i][/i]",
        "[color=Grey]Версия: [/color] [i] [/i] от [i]02.11.2009[/i]",
        "[color=Grey]Язык:[/color] [i][/i]",
        "[color=Grey]Количество игроков:[/color] [i][/i]",
        "[color=Grey]Поддержка компьютера:[/color] [i][/i]",
    }));
    EXPECT_EQ(d.full_lines, with_notes({
        expected::credit,
        "[c][img][/img][/c]",
        "[color=Grey]Автор карты:[/color] [color=red][/color]",
        "[color=Grey]Жанр карты:[/color] [i][/i]",
        "[color=Grey]Версия: [/color][i] [/i] от [i]02.11.2009[/i]",
        "[color=Grey]Язык:[/color] [i][/i]",
        "[color=Grey]Количество игроков:[/color] [i][/i]",
        "[color=Grey]Поддержка компьютера:[/color] [i][/i]",
        "[color=Grey]Размер игровой зоны:[/color] [i][/i]",
        "[color=Grey]Ландшафт:[/color] [i][/i]",
        "[color=#FFFFFF]",
        "[/color]",
    }));
}

TEST(MapDescription, ABlankSiteIsStillASite) {
    auto tab = examples::map();
    tab.Edit7 = " ";
    const auto d = describe_map(tab);
    EXPECT_EQ(d.full_lines[10], "[color=Grey]Сайт карты:[/color] [url= ] [/url]");
    tab.Edit7.clear();
    const auto no_site = describe_map(tab);
    ASSERT_EQ(no_site.full_lines.size(), 18u);
    EXPECT_EQ(no_site.full_lines[9], "[color=Grey]Ландшафт:[/color] [i]Летний Лордерон[/i]");
    EXPECT_EQ(no_site.full_lines[10], "[color=#FFFFFF]");
}

TEST(MapDescription, ValuesGoInUnchangedTagsAndBlanksIncluded) {
    auto tab = examples::map();
    tab.Edit2 = "[/color][b] Ваня ";
    tab.ComboBox1 = "  ";
    tab.Memo1 = {"  отступ", "[url=x]y[/url]", " "};
    const auto d = describe_map(tab);
    EXPECT_EQ(d.short_lines[0], "[color=Grey]Автор карты:[/color] [color=red][/color][b] Ваня [/color]");
    EXPECT_EQ(d.full_lines[2], d.short_lines[0]);
    EXPECT_EQ(d.short_lines[1], "[color=Grey]Жанр карты:[/color] [i]  [/i]");
    EXPECT_EQ((Lines{d.full_lines.begin() + 11, d.full_lines.begin() + 16}),
              (Lines{"[color=#FFFFFF]", "  отступ", "[url=x]y[/url]", " ", "[/color]"}));
}

TEST(MapDescription, MemoLinesReachTheWhiteBlockWhole) {
    auto tab = examples::map();
    const std::string long_line(5000, 'z');
    tab.Memo1 = memo_lines(long_line + "\r\n\r\nконец\r\n");
    const auto d = describe_map(tab);
    ASSERT_EQ(d.full_lines.size(), 19u);
    EXPECT_EQ(d.full_lines[12], long_line);
    EXPECT_EQ(d.full_lines[13], "");
    EXPECT_EQ(d.full_lines[14], "конец");
    EXPECT_EQ(d.full_lines[15], "[/color]");
}

}  // namespace
}  // namespace tessivar
