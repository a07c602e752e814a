// The kept form and the journal against a temporary database: what goes in
// comes back, what this program would not have written does not, a press
// on unchanged fields moves its entry instead of adding one, and hand edits
// kept as they stood are never written over. The remembering switch: read
// without making a file, and turned off under another copy's lock, it holds
// for the run and forgets once the file takes it.
#include <gtest/gtest.h>

#include <filesystem>

#include "snapshot/form_state.h"
#include "store/histories.h"
#include "store/kept.h"
#include "store/schema.h"
#include "store/store.h"
#include "tests/host/temporary_folder.h"

namespace tessivar::store {
namespace {

using snapshot::field_named;

std::int64_t count(Database& database, const char* query) {
    Statement read = database.prepare(query);
    return read.step() ? read.integer(0) : -1;
}

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
    // Searched in the fields, folded, each field a line; an id gone is passed over.
    const std::vector<std::int64_t> with_gone = {order[0], 999, order[1], order[2]};
    EXPECT_EQ(journal_matching(database, with_gone, "борис\nправила\r\nвторая\n"),
              std::vector<std::int64_t>{order[2]});
    EXPECT_EQ(journal_matching(database, with_gone, "а"), order);
    EXPECT_EQ(journal_matching(database, with_gone, "short"), std::vector<std::int64_t>{});
    // Too long to keep folded: folded from its fields as it is searched.
    NewEntry long_rules = entry(Tab::Maps, 400, "Глеб");
    long_rules.form.values[snapshot::first_memo_field(Tab::Maps)] = std::string(100'000, 'x') + "Ёжик";
    ASSERT_TRUE(add(long_rules));
    const std::int64_t long_one = journal_order(database)[0];
    EXPECT_EQ(count(database, "SELECT count(*) FROM journal_folded"), 3);
    EXPECT_EQ(journal_matching(database, std::vector<std::int64_t>{long_one, order[0]}, "ежик"),
              std::vector<std::int64_t>{long_one});
    ASSERT_TRUE(remove_from_journal(database, std::vector<std::int64_t>{long_one}));

    const auto opened = journal_entry(database, order[1]);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->short_text, "short Анна");
    EXPECT_EQ(opened->row.fields, entry(Tab::Maps, 0, "Анна").form);
    EXPECT_TRUE(in_journal(database, entry(Tab::Maps, 0, "Анна")));
    EXPECT_FALSE(in_journal(database, entry(Tab::Textures, 0, "Анна")));

    // A row this program would not have written reads as nothing, as does one removed.
    ASSERT_TRUE(database.exec("UPDATE journal SET fields = 'Edit2=x\n' WHERE tab = 2"));  // a maps field
    const std::int64_t gone[] = {order[0]};
    ASSERT_TRUE(database.transaction([&] { return remove_from_journal(database, gone); }));
    EXPECT_EQ(journal_order(database), std::vector<std::int64_t>(order.begin() + 1, order.end()));
    EXPECT_EQ(count(database, "SELECT count(*) FROM journal_texts"), 2);  // its descriptions went with it
    EXPECT_EQ(count(database, "SELECT count(*) FROM journal_folded"), 2);
    rows = journal_rows(database, order);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0]);
    ASSERT_TRUE(rows[1]);
    EXPECT_EQ(rows[1]->fields.values[field_named("Edit2")], "Анна");
    EXPECT_FALSE(rows[2]);
}

// A press of megabytes is kept once: the file grows by its texts, not by
// copies of them for the search or the newest entry; the same press again
// only moves its time.
TEST_F(KeptStoreTest, APressOfMegabytesGrowsTheFileByItsTextsOnce) {
    constexpr std::int64_t kMiB = 1 << 20;
    NewEntry big{Tab::Maps, 1'700'000'000, true, {}, "short", std::string(4 * kMiB, 'f')};
    big.form.values[snapshot::first_memo_field(Tab::Maps)] = std::string(4 * kMiB, 'm');
    const auto file_size = [&] { return count(database, "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size"); };
    const std::int64_t before = file_size();
    ASSERT_TRUE(add(big));
    const std::int64_t grown = file_size() - before;
    EXPECT_LE(grown, 8 * kMiB * 3 / 2) << grown;
    big.at += 60;  // a time of the same size: the row is written over in place
    ASSERT_TRUE(add(big));
    EXPECT_EQ(file_size() - before, grown);
    EXPECT_EQ(count(database, "SELECT count(*) FROM journal"), 1);
}

// A form replaced by an opened entry is kept with its panes as they stood:
// the same fields with other descriptions are an entry of their own, and a
// later press on those fields adds one rather than write over them.
TEST_F(KeptStoreTest, DescriptionsKeptAsTheyStoodAreNeverWrittenOver) {
    ASSERT_TRUE(add(entry(Tab::Maps, 100, "Анна")));
    NewEntry edited = entry(Tab::Maps, 200, "Анна", false);
    edited.short_text = "поправлено рукой";
    EXPECT_FALSE(in_journal(database, edited));
    ASSERT_TRUE(add(edited));
    EXPECT_TRUE(in_journal(database, edited));
    edited.at = 300;
    ASSERT_TRUE(add(edited));  // the same fields and descriptions: only its time moves
    ASSERT_TRUE(add(entry(Tab::Maps, 400, "Анна")));  // a press over the hand edits
    NewEntry unedited = entry(Tab::Maps, 500, "Анна", false);
    ASSERT_TRUE(add(unedited));  // what that press wrote, unchanged: only its time moves

    const auto order = journal_order(database);
    ASSERT_EQ(order.size(), 3u);
    const auto newest = journal_entry(database, order[0]);
    const auto hand = journal_entry(database, order[1]);
    const auto first = journal_entry(database, order[2]);
    ASSERT_TRUE(newest && hand && first);
    EXPECT_EQ(newest->row.at, 500);
    EXPECT_TRUE(newest->row.pressed);
    EXPECT_EQ(hand->row.at, 300);
    EXPECT_FALSE(hand->row.pressed);
    EXPECT_EQ(hand->short_text, "поправлено рукой");
    EXPECT_EQ(hand->full_text, "full Анна");
    EXPECT_EQ(first->short_text, "short Анна");
}

class RememberingSwitch : public KeptStoreTest {
protected:
    std::string remembering_setting() { return setting(database, kRememberingSetting); }
};

TEST_F(RememberingSwitch, ReadMakesNoFileAndOffUnderALockHoldsForTheRunUntilTheFileTakesIt) {
    {
        TemporaryFolder empty;
        Store first_start(empty.file("Tessivar.db"));
        first_start.open_existing();
        StoreHistories histories(first_start);
        EXPECT_TRUE(histories.remembering());
        EXPECT_TRUE(std::filesystem::is_empty(empty.path()));  // nor -wal nor -shm
    }
    Store store(folder.file("Tessivar.db"));
    StoreHistories histories(store);
    histories.record(history::Meaning::Author, u"Анна");
    snapshot::Snapshot form;
    form.values[field_named("Edit2")] = "Анна";
    const std::size_t edit2[] = {field_named("Edit2")};
    ASSERT_TRUE(store.write([&](Database& d) { return keep_form(d, form, edit2); }));

    Database another_copy = Database::open(folder.file("Tessivar.db"), Database::Mode::ReadWrite);
    ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
    EXPECT_FALSE(histories.set_remembering(false));
    EXPECT_FALSE(histories.remembering());  // for this run, all the same
    histories.record(history::Meaning::Author, u"Борис");
    EXPECT_NE(remembering_setting(), "0");
    EXPECT_EQ(read_kept_form(database), form);
    EXPECT_EQ(stored_history(database, history::Meaning::Author), history::Values{u"Анна"});

    ASSERT_TRUE(another_copy.exec("COMMIT"));
    store.attempt_now();  // the store's wait before it tries the file again, over
    EXPECT_TRUE(histories.set_remembering(false));
    EXPECT_EQ(remembering_setting(), "0");
    EXPECT_EQ(read_kept_form(database), snapshot::Snapshot{});
    EXPECT_EQ(stored_history(database, history::Meaning::Author), history::Values{});
    EXPECT_FALSE(StoreHistories(store).remembering());

    // Turned on again under the lock: on for the run, and the file takes it later.
    ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
    EXPECT_FALSE(histories.set_remembering(true));
    EXPECT_TRUE(histories.remembering());
    EXPECT_FALSE(StoreHistories(store).remembering());
    ASSERT_TRUE(another_copy.exec("COMMIT"));
    store.attempt_now();
    EXPECT_TRUE(histories.set_remembering(true));
    EXPECT_TRUE(StoreHistories(store).remembering());
}

// What quick fill records or forgets under another copy's lock is held and
// offered meanwhile, written at the next change or look once the lock goes,
// or at exit; what the switch forgets goes with the rest.
TEST_F(RememberingSwitch, AHistoryChangeTheFileRefusesIsHeldOfferedAndWrittenLater) {
    Store store(folder.file("Tessivar.db"));
    using history::Meaning;
    {
        StoreHistories histories(store);
        histories.record(Meaning::Author, u"Анна");
        Database another_copy = Database::open(folder.file("Tessivar.db"), Database::Mode::ReadWrite);
        ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
        histories.record(Meaning::Author, u"Борис");
        histories.forget(Meaning::Author, u"Анна");
        histories.record(Meaning::Site, u"сайт");
        EXPECT_EQ(stored_history(database, Meaning::Author), history::Values{u"Анна"});
        EXPECT_EQ(histories.values(Meaning::Author), history::Values{u"Борис"});
        ASSERT_TRUE(another_copy.exec("COMMIT"));
        store.attempt_now();
        EXPECT_EQ(histories.values(Meaning::Author), history::Values{u"Борис"});
        EXPECT_EQ(stored_history(database, Meaning::Author), history::Values{u"Борис"});
        EXPECT_EQ(stored_history(database, Meaning::Site), history::Values{u"сайт"});

        ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
        histories.record(Meaning::Author, u"Вера");
        ASSERT_TRUE(another_copy.exec("COMMIT"));
    }  // the exit
    EXPECT_EQ(stored_history(database, Meaning::Author), (history::Values{u"Вера", u"Борис"}));

    StoreHistories histories(store);
    Database another_copy = Database::open(folder.file("Tessivar.db"), Database::Mode::ReadWrite);
    ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
    histories.record(Meaning::Author, u"Глеб");
    EXPECT_FALSE(histories.set_remembering(false));
    ASSERT_TRUE(another_copy.exec("COMMIT"));
    store.attempt_now();
    EXPECT_TRUE(histories.set_remembering(false));
    EXPECT_TRUE(histories.values(Meaning::Author).empty());
    EXPECT_TRUE(stored_history(database, Meaning::Author).empty());
}

}  // namespace
}  // namespace tessivar::store
