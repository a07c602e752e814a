#include <gtest/gtest.h>

#include "expected.h"
#include "tests/host/tab_snapshots.h"
#include "worked_examples.h"

namespace tessivar {
namespace {

TEST(TextureDescription, WorkedExampleUndatedAndDated) {
    auto tab = examples::texture();
    const Lines fields = {
        "[color=Orange]Автор текстуры:[/color] [color=red]Кузнец[/color]",
        "[color=Orange]Версия:[/color] [i]1.0 [/i]",
        "[color=Orange]Используется как текстуру:[/color] Textures\\HeroMountainKing.blp",
        "[color=Orange]Используется на модель:[/color] Король гор (Mountain King)",
    };
    auto d = describe_texture(tab);
    EXPECT_EQ(d.short_lines, fields);
    EXPECT_EQ(d.full_lines, (Lines{expected::credit, fields[0], fields[1], fields[2], fields[3],
                                   "[color=#FFFFFF]", "Броня из кожи", "[/color]"}));

    tab.CheckBox3 = true;
    d = describe_texture(tab);
    const std::string dated = "[color=Orange]Версия: [/color] [i]1.0 [/i] от [i]02.11.2009[/i]";
    EXPECT_EQ(d.short_lines, (Lines{fields[0], dated, fields[2], fields[3]}));
    EXPECT_EQ(d.full_lines[2], dated);
}

TEST(TextureDescription, EmptyFieldsStillGiveEveryLine) {
    TextureTab tab;
    tab.CheckBox3 = false;
    const auto d = describe_texture(tab);
    EXPECT_EQ(d.full_lines, (Lines{
        expected::credit,
        "[color=Orange]Автор текстуры:[/color] [color=red][/color]",
        "[color=Orange]Версия:[/color] [i] [/i]",
        "[color=Orange]Используется как текстуру:[/color] ",
        "[color=Orange]Используется на модель:[/color] ",
        "[color=#FFFFFF]",
        "[/color]",
    }));
}

}  // namespace
}  // namespace tessivar
