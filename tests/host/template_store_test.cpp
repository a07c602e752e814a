// The user's templates in a temporary database file: kept per tab and name,
// renamed and removed without the tab losing track of the one in use, and
// whatever the file holds read back with suspicion.
#include <gtest/gtest.h>

#include <string>

#include "store/schema.h"
#include "store/templates.h"
#include "tests/host/temporary_folder.h"

namespace tessivar {
namespace {

using Names = std::vector<std::string>;

class TemplateStoreTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    store::Store file{folder.file("Tessivar.db")};
    TemplateStore templates{file};
    const TemplateText mine{"{Автор карты}", "[color=Grey]Режим игры:[/color]\n{Версия}"};
    const TemplateText other{"ещё", "другое"};
};

TEST_F(TemplateStoreTest, KeptPerTabAndName) {
    EXPECT_EQ(templates.names(Tab::Maps), Names{}) << "no file yet";
    EXPECT_TRUE(templates.add(Tab::Maps, "Моё", mine));
    EXPECT_TRUE(templates.add(Tab::Maps, "Ёлка", other));
    EXPECT_TRUE(templates.add(Tab::Sounds, "Моё", other));
    EXPECT_FALSE(templates.add(Tab::Maps, "Моё", other)) << "a name is the tab's once";
    EXPECT_EQ(templates.names(Tab::Maps), (Names{"Ёлка", "Моё"}));
    EXPECT_EQ(templates.names(Tab::Models), Names{});
    EXPECT_EQ(templates.find(Tab::Maps, "Моё"), mine);
    EXPECT_EQ(templates.find(Tab::Sounds, "Моё"), other);

    EXPECT_TRUE(templates.save(Tab::Maps, "Моё", other));
    EXPECT_EQ(templates.find(Tab::Maps, "Моё"), other);
    EXPECT_EQ(templates.find(Tab::Sounds, "Моё"), other);
    EXPECT_FALSE(templates.rename(Tab::Maps, "Моё", "Ёлка")) << "onto a name taken";
    EXPECT_TRUE(templates.rename(Tab::Maps, "Моё", "Новое имя"));
    EXPECT_EQ(templates.names(Tab::Maps), (Names{"Ёлка", "Новое имя"}));
    EXPECT_TRUE(templates.remove(Tab::Maps, "Ёлка"));
    EXPECT_EQ(templates.names(Tab::Maps), Names{"Новое имя"});
    EXPECT_EQ(templates.names(Tab::Sounds), Names{"Моё"});
}

TEST_F(TemplateStoreTest, TheTemplateInUseFollowsRenamesAndRemovals) {
    EXPECT_EQ(templates.in_use(Tab::Maps), "");
    EXPECT_EQ(templates.in_use_text(Tab::Maps), std::nullopt);
    ASSERT_TRUE(templates.add(Tab::Maps, "Моё", mine));
    ASSERT_TRUE(templates.use(Tab::Maps, "Моё"));
    EXPECT_EQ(templates.in_use(Tab::Maps), "Моё");
    EXPECT_EQ(templates.in_use_text(Tab::Maps), mine);
    EXPECT_EQ(templates.in_use(Tab::Sounds), "") << "each tab has its own";

    ASSERT_TRUE(templates.rename(Tab::Maps, "Моё", "Режим игры"));
    EXPECT_EQ(templates.in_use_text(Tab::Maps), mine);
    ASSERT_TRUE(templates.remove(Tab::Maps, "Режим игры"));
    EXPECT_EQ(templates.in_use(Tab::Maps), "");
    ASSERT_TRUE(templates.add(Tab::Maps, "Режим игры", other));
    EXPECT_EQ(templates.in_use_text(Tab::Maps), std::nullopt) << "a later namesake is not taken into use unasked";

    ASSERT_TRUE(templates.use(Tab::Maps, "Режим игры"));
    ASSERT_TRUE(templates.use(Tab::Maps, ""));
    EXPECT_EQ(templates.in_use_text(Tab::Maps), std::nullopt) << "back to the built-in one";
}

TEST_F(TemplateStoreTest, WhatTheProgramWouldNotHaveWrittenReadsAsAbsent) {
    ASSERT_TRUE(file.write([](store::Database& database) { return database.exec("INSERT INTO templates(tab, name, short_text, full_text) VALUES "
                              "(0, 'число', x'31', 'x'), (0, x'D09C', 'a', 'b'), (0, '', 'a', 'b'), "
                              "(0, 'Стандартное', 'a', 'b');"
                              "INSERT INTO settings(name, value) VALUES ('template_in_use.0', 'число'),"
                              "('template_in_use.1', 'нет такого')"); }));
    EXPECT_EQ(templates.names(Tab::Maps), Names{"число"}) << "a blob, an empty name, the built-in's name";
    EXPECT_EQ(templates.find(Tab::Maps, "число"), std::nullopt) << "its text is bytes";
    EXPECT_EQ(templates.in_use(Tab::Maps), "");
    EXPECT_EQ(templates.in_use_text(Tab::Sounds), std::nullopt);
}

TEST(TemplateNames, WhatANewNameMustNotBe) {
    const Names taken{"Моё", "Режим игры"};
    const struct {
        std::string name;
        bool allowed;
    } cases[] = {
        {"Другое", true}, {"моё", true}, {"Моё ", true},
        {"", false}, {"  \t", false}, {"Стандартное", false}, {"Моё", false}, {"Режим игры", false},
    };
    for (const auto& c : cases) EXPECT_EQ(!template_name_problem(c.name, taken), c.allowed) << c.name;
}

}  // namespace
}  // namespace tessivar
