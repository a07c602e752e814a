#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "expected.h"
#include "tests/host/tab_snapshots.h"
#include "worked_examples.h"

namespace tessivar {
namespace {

const std::string author = "[color=Yellow]Автор модели:[/color] [color=red]Кузнец[/color]";
const std::string dated_version = "[color=Yellow]Версия: [/color] [i]1.2 [/i] от [i]02.11.2009[/i]";
const std::string undated_version = "[color=Yellow]Версия:[/color] [i]1.2 [/i]";
const std::string textures_heading = "[color=Yellow]Импортируемые текстуры: [/color]";
const std::string no_textures = "[color=Yellow]Импортируемые текстуры: [/color] Нет";
const std::string screenshots_heading = "[color=Yellow]Скриншоты: [/color]";

// The lines from the screenshots heading down to the white block.
Lines screenshot_lines(const Lines& full) {
    const auto heading = std::find(full.begin(), full.end(), screenshots_heading);
    const auto block = std::find(heading, full.end(), "[color=#FFFFFF]");
    return {heading, block};
}

TEST(ModelDescription, WorkedExampleDated) {
    const auto d = describe_model(examples::model());
    EXPECT_EQ(d.short_lines, (Lines{author, dated_version,
                                    "[color=Yellow]Импортируемые текстуры: [/color] Есть"}));
    EXPECT_EQ(d.full_lines, (Lines{
        expected::credit,
        "[c][img]pic1.jpg[/img][/c]",
        author,
        dated_version,
        "",
        textures_heading,
        "Textures\\Axe.blp",
        "Textures\\AxeGlow.blp",
        "",
        screenshots_heading,
        "[img]pic2.jpg[/img]",
        "[img]pic3.jpg[/img]",
        "[color=#FFFFFF]",
        "Топор для героя",
        "Анимации Stand и Attack",
        "[/color]",
    }));
}

TEST(ModelDescription, UndatedWithoutTexturesIgnoresTheDate) {
    auto tab = examples::model();
    tab.CheckBox2 = false;
    tab.Memo2.clear();
    const auto d = describe_model(tab);
    EXPECT_EQ(d.short_lines, (Lines{author, undated_version, no_textures}));
    EXPECT_EQ(d.full_lines, (Lines{
        expected::credit,
        "[c][img]pic1.jpg[/img][/c]",
        author,
        undated_version,
        "",
        no_textures,
        "",
        screenshots_heading,
        "[img]pic2.jpg[/img]",
        "[img]pic3.jpg[/img]",
        "[color=#FFFFFF]",
        "Топор для героя",
        "Анимации Stand и Attack",
        "[/color]",
    }));
    tab.DateTimePicker2 = "31.12.1999";
    EXPECT_EQ(describe_model(tab).full_lines, d.full_lines);
}

TEST(ModelDescription, AnyTextureLineCountsEvenAnEmptyOne) {
    auto tab = examples::model();
    tab.Memo2 = memo_lines("\r\n");
    auto d = describe_model(tab);
    EXPECT_EQ(d.short_lines[2], "[color=Yellow]Импортируемые текстуры: [/color] Есть");
    EXPECT_EQ((Lines{d.full_lines.begin() + 5, d.full_lines.begin() + 8}),
              (Lines{textures_heading, "", ""}));

    tab.Memo2 = {"Если импортируемых текстур нет, ", "очистите это поле.", "",
                 "Пример пути к текстуре:", "Textures\\Primer.blp"};
    d = describe_model(tab);
    EXPECT_EQ(d.short_lines[2], "[color=Yellow]Импортируемые текстуры: [/color] Есть");
    EXPECT_EQ((Lines{d.full_lines.begin() + 5, d.full_lines.begin() + 12}),
              (Lines{textures_heading, "Если импортируемых текстур нет, ", "очистите это поле.",
                     "", "Пример пути к текстуре:", "Textures\\Primer.blp", ""}));
}

TEST(ModelDescription, FirstImageIsThePreviewTheRestScreenshots) {
    auto tab = examples::model();
    tab.Memo5.clear();
    auto d = describe_model(tab);
    EXPECT_EQ(d.full_lines[1], "[c][img][/img][/c]");
    EXPECT_EQ(screenshot_lines(d.full_lines), Lines{screenshots_heading});

    tab.Memo5 = {"only.jpg"};
    d = describe_model(tab);
    EXPECT_EQ(d.full_lines[1], "[c][img]only.jpg[/img][/c]");
    EXPECT_EQ(screenshot_lines(d.full_lines), Lines{screenshots_heading});

    tab.Memo5 = {"first.jpg", "kept blank.jpg "};
    for (int i = 0; i < 10; ++i) tab.Memo5.push_back("s" + std::to_string(i) + ".jpg");
    d = describe_model(tab);
    EXPECT_EQ(d.full_lines[1], "[c][img]first.jpg[/img][/c]");
    const auto shots = screenshot_lines(d.full_lines);
    ASSERT_EQ(shots.size(), 12u);
    EXPECT_EQ(shots[1], "[img]kept blank.jpg [/img]");
    EXPECT_EQ(shots[11], "[img]s9.jpg[/img]");
    EXPECT_EQ(d.full_lines.size(), 10u + 2 + 2 + 11);
}

}  // namespace
}  // namespace tessivar
