// The user's templates in a temporary database file: kept per tab and name,
// renamed and removed without the tab losing track of the one in use,
// whatever the file holds read back with suspicion, and every write checked
// against what a second copy of the program did meanwhile.
#include <gtest/gtest.h>

#include <string>

#include "store/schema.h"
#include "store/templates.h"
#include "tests/host/temporary_folder.h"

namespace tessivar {
namespace {

using Names = std::vector<std::string>;
constexpr store::TemplateWrite kDone = store::TemplateWrite::Done;

class TemplateStoreTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    store::Store file{folder.file("Tessivar.db")};
    store::TemplateStore templates{file};
    const TemplateText mine{"{Автор карты}", "[color=Grey]Режим игры:[/color]\n{Версия}"};
    const TemplateText other{"ещё", "другое"};
};

TEST_F(TemplateStoreTest, KeptPerTabAndName) {
    EXPECT_EQ(templates.names(Tab::Maps), Names{}) << "no file yet";
    EXPECT_EQ(templates.add(Tab::Maps, "Моё", mine), kDone);
    EXPECT_EQ(templates.add(Tab::Maps, "Ёлка", other), kDone);
    EXPECT_EQ(templates.add(Tab::Sounds, "Моё", other), kDone);
    EXPECT_EQ(templates.add(Tab::Maps, "Моё", other), store::TemplateWrite::Taken) << "a name is the tab's once";
    EXPECT_EQ(templates.names(Tab::Maps), (Names{"Ёлка", "Моё"}));
    EXPECT_EQ(templates.names(Tab::Models), Names{});
    EXPECT_EQ(templates.find(Tab::Maps, "Моё"), mine);
    EXPECT_EQ(templates.find(Tab::Sounds, "Моё"), other);

    EXPECT_EQ(templates.save(Tab::Maps, "Моё", other), kDone);
    EXPECT_EQ(templates.find(Tab::Maps, "Моё"), other);
    EXPECT_EQ(templates.find(Tab::Sounds, "Моё"), other);
    EXPECT_EQ(templates.rename(Tab::Maps, "Моё", "Ёлка"), store::TemplateWrite::Taken) << "onto a name taken";
    EXPECT_EQ(templates.rename(Tab::Maps, "Моё", "Новое имя"), kDone);
    EXPECT_EQ(templates.names(Tab::Maps), (Names{"Ёлка", "Новое имя"}));
    EXPECT_EQ(templates.remove(Tab::Maps, "Ёлка"), kDone);
    EXPECT_EQ(templates.names(Tab::Maps), Names{"Новое имя"});
    EXPECT_EQ(templates.names(Tab::Sounds), Names{"Моё"});
}

TEST_F(TemplateStoreTest, TheTemplateInUseFollowsRenamesAndRemovals) {
    EXPECT_EQ(templates.in_use(Tab::Maps), "");
    EXPECT_EQ(templates.in_use_text(Tab::Maps), std::nullopt);
    ASSERT_EQ(templates.add(Tab::Maps, "Моё", mine), kDone);
    ASSERT_EQ(templates.use(Tab::Maps, "Моё"), kDone);
    EXPECT_EQ(templates.in_use(Tab::Maps), "Моё");
    EXPECT_EQ(templates.in_use_text(Tab::Maps), mine);
    EXPECT_EQ(templates.in_use(Tab::Sounds), "") << "each tab has its own";

    ASSERT_EQ(templates.rename(Tab::Maps, "Моё", "Режим игры"), kDone);
    EXPECT_EQ(templates.in_use_text(Tab::Maps), mine);
    ASSERT_EQ(templates.remove(Tab::Maps, "Режим игры"), kDone);
    EXPECT_EQ(templates.in_use(Tab::Maps), "");
    ASSERT_EQ(templates.add(Tab::Maps, "Режим игры", other), kDone);
    EXPECT_EQ(templates.in_use_text(Tab::Maps), std::nullopt) << "a later namesake is not taken into use unasked";

    ASSERT_EQ(templates.use(Tab::Maps, "Режим игры"), kDone);
    ASSERT_EQ(templates.use(Tab::Maps, ""), kDone);
    EXPECT_EQ(templates.in_use_text(Tab::Maps), std::nullopt) << "back to the built-in one";
}

// A second copy of the program on the same file renames, removes and makes
// templates between this one's writes: no write counts a row it did not find.
TEST_F(TemplateStoreTest, WhatASecondCopyDidMeanwhileIsNeverTakenForAWrite) {
    store::Store second_file{file.path()};
    store::TemplateStore second{second_file};
    ASSERT_EQ(templates.add(Tab::Maps, "Моё", mine), kDone);
    ASSERT_EQ(templates.use(Tab::Maps, "Моё"), kDone);

    ASSERT_EQ(second.rename(Tab::Maps, "Моё", "Их"), kDone);
    EXPECT_EQ(templates.save(Tab::Maps, "Моё", other), kDone) << "made again under the name the user sees";
    EXPECT_EQ(templates.find(Tab::Maps, "Моё"), other);
    EXPECT_EQ(templates.find(Tab::Maps, "Их"), mine) << "the other copy's rename stands";
    EXPECT_EQ(templates.in_use(Tab::Maps), "Их");

    ASSERT_EQ(second.remove(Tab::Maps, "Моё"), kDone);
    EXPECT_EQ(templates.rename(Tab::Maps, "Моё", "Третье"), store::TemplateWrite::Gone);
    EXPECT_EQ(templates.use(Tab::Maps, "Моё"), store::TemplateWrite::Gone);
    EXPECT_EQ(templates.in_use(Tab::Maps), "Их") << "a use that found nothing changed nothing";
    EXPECT_EQ(templates.remove(Tab::Maps, "Моё"), kDone) << "not there, as asked";
    EXPECT_EQ(templates.names(Tab::Maps), Names{"Их"});

    ASSERT_EQ(second.add(Tab::Maps, "Новое", other), kDone);
    EXPECT_EQ(templates.add(Tab::Maps, "Новое", mine), store::TemplateWrite::Taken);
    EXPECT_EQ(templates.rename(Tab::Maps, "Их", "Новое"), store::TemplateWrite::Taken);
    EXPECT_EQ(templates.find(Tab::Maps, "Новое"), other);
    EXPECT_EQ(templates.find(Tab::Maps, "Их"), mine);
}

// Another connection holds the write lock: every write says it was refused
// and leaves the file as it was; once the lock goes, the same write is kept.
TEST_F(TemplateStoreTest, ALockHeldByAnotherConnectionRefusesEveryWriteUntilItGoes) {
    ASSERT_EQ(templates.add(Tab::Maps, "Моё", mine), kDone);
    store::Database holder = store::Database::open(file.path(), store::Database::Mode::ReadWrite);
    ASSERT_TRUE(holder.exec("BEGIN IMMEDIATE"));
    EXPECT_EQ(templates.save(Tab::Maps, "Моё", other), store::TemplateWrite::Refused);
    EXPECT_EQ(templates.add(Tab::Maps, "Ещё", other), store::TemplateWrite::Refused);
    EXPECT_EQ(templates.rename(Tab::Maps, "Моё", "Другое"), store::TemplateWrite::Refused);
    EXPECT_EQ(templates.use(Tab::Maps, "Моё"), store::TemplateWrite::Refused);
    EXPECT_EQ(templates.remove(Tab::Maps, "Моё"), store::TemplateWrite::Refused);
    ASSERT_TRUE(holder.exec("ROLLBACK"));
    file.attempt_now();  // the store's wait before it tries the file again, over
    EXPECT_EQ(templates.names(Tab::Maps), Names{"Моё"});
    EXPECT_EQ(templates.find(Tab::Maps, "Моё"), mine);
    EXPECT_EQ(templates.in_use(Tab::Maps), "");

    EXPECT_EQ(templates.save(Tab::Maps, "Моё", other), kDone);
    EXPECT_EQ(templates.find(Tab::Maps, "Моё"), other);
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
    for (const auto& c : cases) EXPECT_EQ(!store::template_name_problem(c.name, taken), c.allowed) << c.name;
}

}  // namespace
}  // namespace tessivar
