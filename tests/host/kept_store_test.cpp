// The kept form and the journal against a temporary database: what goes in
// comes back, what this program would not have written does not, and a
// press on unchanged fields moves its entry instead of adding one.
#include <gtest/gtest.h>

#include "snapshot/form_state.h"
#include "store/kept.h"
#include "store/schema.h"
#include "tests/host/temporary_folder.h"

namespace tessivar::store {
namespace {

using snapshot::field_named;

class KeptStoreTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    Database database = Database::open(folder.file("Tessivar.db"), Database::Mode::ReadWrite);
    void SetUp() override { ASSERT_EQ(migrate(database), Migration::Current) << database.last_message(); }

    bool add(const NewEntry& e) {
        return database.transaction([&] { return add_to_journal(database, e); });
    }
    NewEntry entry(Tab tab, std::int64_t at, const std::string& author, bool pressed = true) {
        NewEntry e{tab, at, pressed, {}, "short " + author, "full " + author};
        e.form.values[*snapshot::author_field(tab)] = author;
        e.form.values[snapshot::first_memo_field(tab)] = "Правила\r\nвторая";
        return e;
    }
};

TEST_F(KeptStoreTest, TheFormComesBackAsKeptAndOnlyAsThisProgramWritesIt) {
    snapshot::Snapshot form;
    form.values[field_named("Memo1")] = "Пётр 😀\r\n";
    form.values[field_named("CheckBox2")] = "0";
    form.values[field_named("FMain")] = "-1800 20 -1000 700 1";
    form.values[field_named("Edit2")] = "not written";
    const std::size_t written[] = {field_named("Memo1"), field_named("CheckBox2"), field_named("FMain")};
    ASSERT_TRUE(database.transaction([&] { return keep_form(database, form, written); }));
    form.values[field_named("Edit2")].reset();
    EXPECT_EQ(read_kept_form(database), form);

    ASSERT_TRUE(database.exec("INSERT OR REPLACE INTO kept_form VALUES('CheckBox2', 'yes'), ('Nothing', 'x'), "
                              "('Edit4', x'00')"));
    form.values[field_named("CheckBox2")].reset();
    EXPECT_EQ(read_kept_form(database), form);

    ASSERT_TRUE(forget_kept_form(database));
    EXPECT_EQ(read_kept_form(database), snapshot::Snapshot{});
}

TEST_F(KeptStoreTest, JournalAddsMovesFindsAndRemovesEntries) {
    ASSERT_TRUE(add(entry(Tab::Maps, 100, "Анна")));
    ASSERT_TRUE(add(entry(Tab::Models, 200, "Борис")));
    ASSERT_TRUE(add(entry(Tab::Maps, 300, "Анна")));  // same fields: moved
    ASSERT_TRUE(add(entry(Tab::Maps, 300, "Вера", false)));
    const auto order = journal_order(database);
    auto rows = journal_rows(database, order);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_TRUE(rows[0] && rows[1] && rows[2]);
    EXPECT_EQ(rows[0]->fields.values[field_named("Edit2")], "Вера");  // same time: the later first
    EXPECT_FALSE(rows[0]->pressed);
    EXPECT_EQ(rows[1]->at, 300);
    EXPECT_EQ(rows[2]->tab, Tab::Models);
    const auto search = journal_search(database);
    EXPECT_EQ(search.ids, order);
    EXPECT_EQ(search.folded[2], "борис\nправила\r\nвторая\n");

    const auto opened = journal_entry(database, order[1]);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->short_text, "short Анна");
    EXPECT_EQ(opened->row.fields, entry(Tab::Maps, 0, "Анна").form);
    EXPECT_TRUE(in_journal(database, Tab::Maps, entry(Tab::Maps, 0, "Анна").form));
    EXPECT_FALSE(in_journal(database, Tab::Textures, entry(Tab::Textures, 0, "Анна").form));

    // A row this program would not have written reads as nothing, as does one removed.
    ASSERT_TRUE(database.exec("UPDATE journal SET fields = 'Edit2=x\n' WHERE tab = 2"));  // a maps field
    const std::int64_t gone[] = {order[0]};
    ASSERT_TRUE(database.transaction([&] { return remove_from_journal(database, gone); }));
    EXPECT_EQ(journal_order(database), std::vector<std::int64_t>(order.begin() + 1, order.end()));
    rows = journal_rows(database, order);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0]);
    ASSERT_TRUE(rows[1]);
    EXPECT_EQ(rows[1]->fields.values[field_named("Edit2")], "Анна");
    EXPECT_FALSE(rows[2]);
}

}  // namespace
}  // namespace tessivar::store
