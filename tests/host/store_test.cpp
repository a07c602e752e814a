// The database file against temporary files: what goes in comes back, an
// empty file becomes the current schema, a file from a later version is
// never written, and two connections share one file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "store/database.h"
#include "store/schema.h"
#include "tests/host/temporary_folder.h"

namespace tessivar::store {
namespace {

class StoreTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    const std::string path = folder.file("Tessivar.db");

    Database opened(Database::Mode mode = Database::Mode::ReadWrite) {
        Database database = Database::open(path, mode);
        EXPECT_TRUE(database) << database.last_message();
        return database;
    }
    Database migrated() {
        Database database = opened();
        EXPECT_EQ(migrate(database), Migration::Current) << database.last_message();
        return database;
    }
    std::string setting(Database& database, const std::string& name) {
        Statement read = database.prepare("SELECT value FROM settings WHERE name = ?");
        read.bind(1, name);
        return read.step() ? read.text(0) : "<none>";
    }
    bool put_setting(Database& database, const std::string& name, const std::string& value) {
        Statement write = database.prepare("INSERT OR REPLACE INTO settings(name, value) VALUES(?, ?)");
        return write.bind(1, name).bind(2, value).run();
    }
};

TEST_F(StoreTest, ValuesRoundTrip) {
    Database database = migrated();
    const std::string texts[] = {
        "", "plain", "Пётр Иванов, ёлка", "emoji \xF0\x9F\x98\x80 and CJK 漢字",
        std::string("inner\0nul", 9), std::string(1 << 20, 'x'),
    };
    for (const std::string& text : texts) {
        ASSERT_TRUE(put_setting(database, "name", text)) << database.last_message();
        EXPECT_EQ(setting(database, "name"), text) << text.size();
    }
    const std::byte bytes[] = {std::byte{0}, std::byte{0xFF}, std::byte{0x41}};
    Statement write = database.prepare("INSERT INTO histories(meaning, list) VALUES('m', ?)");
    ASSERT_TRUE(write.bind_blob(1, bytes).run());
    Statement read = database.prepare("SELECT list, length(list) FROM histories");
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.blob(0), std::vector<std::byte>(std::begin(bytes), std::end(bytes)));
    EXPECT_TRUE(read.is_integer(1));
    EXPECT_EQ(read.integer(1), 3);
    EXPECT_FALSE(read.step());
    EXPECT_FALSE(read.failed());
}

TEST_F(StoreTest, TransactionsCommitOrLeaveNothing) {
    Database database = migrated();
    EXPECT_TRUE(database.transaction([&] { return put_setting(database, "kept", "1"); }));
    EXPECT_FALSE(database.transaction([&] { return put_setting(database, "dropped", "1") && false; }));
    // A failing statement inside rolls the earlier ones back and is reported.
    EXPECT_FALSE(database.transaction(
        [&] { return put_setting(database, "dropped too", "1") && database.exec("INSERT INTO nowhere VALUES(1)"); }));
    EXPECT_EQ(database.last_result(), Result::Other);
    EXPECT_EQ(setting(database, "kept"), "1");
    EXPECT_EQ(setting(database, "dropped"), "<none>");
    EXPECT_EQ(setting(database, "dropped too"), "<none>");
}

TEST_F(StoreTest, EmptyFileMigratesToTheCurrentSchema) {
    std::ofstream(path).close();  // zero bytes: SQLite's empty database
    Database database = migrated();
    EXPECT_EQ(database.user_version(), kSchemaVersion);
    for (const char* table : {"settings", "histories", "kept_form", "journal", "templates"}) {
        Statement count = database.prepare(std::string("SELECT count(*) FROM ") + table);
        ASSERT_TRUE(count.step()) << table << ": " << database.last_message();
        EXPECT_EQ(count.integer(0), 0) << table;
    }
    // Migrating again changes nothing; the journal reads newest first by its index.
    EXPECT_EQ(migrate(database), Migration::Current);
    Statement plan = database.prepare(
        "EXPLAIN QUERY PLAN SELECT id FROM journal WHERE tab = 1 ORDER BY at DESC, id DESC LIMIT 50");
    ASSERT_TRUE(plan.step());
    EXPECT_NE(plan.text(3).find("journal_newest"), std::string::npos) << plan.text(3);
}

TEST_F(StoreTest, FileFromALaterVersionIsNeverWritten) {
    {
        Database database = migrated();
        ASSERT_TRUE(put_setting(database, "name", "theirs"));
        ASSERT_TRUE(database.exec("PRAGMA user_version = " + std::to_string(kSchemaVersion + 1)));
    }
    const auto before = std::filesystem::last_write_time(path);
    const auto size = std::filesystem::file_size(path);
    Database database = opened();
    EXPECT_EQ(migrate(database), Migration::Newer);
    Database reading = opened(Database::Mode::ReadOnly);
    EXPECT_EQ(migrate(reading), Migration::Newer);
    EXPECT_EQ(setting(reading, "name"), "theirs");  // still read
    EXPECT_FALSE(put_setting(reading, "name", "ours"));
    EXPECT_FALSE(reading.transaction([] { return true; }));
    EXPECT_EQ(reading.last_result(), Result::ReadOnly);
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
    EXPECT_EQ(std::filesystem::file_size(path), size);
}

TEST_F(StoreTest, TwoConnectionsShareTheFile) {
    Database first = migrated();
    Database second = migrated();
    ASSERT_TRUE(put_setting(first, "from", "first"));
    EXPECT_EQ(setting(second, "from"), "first");
    // One holds the write lock: the other gives up after the busy timeout,
    // neither hangs, and it writes once the lock is gone.
    ASSERT_TRUE(first.exec("BEGIN IMMEDIATE"));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.transaction([&] { return put_setting(second, "from", "second"); }));
    EXPECT_EQ(second.last_result(), Result::Busy);
    EXPECT_LT(std::chrono::steady_clock::now() - started, Database::kBusyTimeout * 4);
    ASSERT_TRUE(first.exec("COMMIT"));
    EXPECT_TRUE(second.transaction([&] { return put_setting(second, "from", "second"); }));
    EXPECT_EQ(setting(first, "from"), "second");
}

TEST_F(StoreTest, OpeningFailsWithAReason) {
    std::filesystem::create_directory(path);  // a folder where the file should be
    Database database = Database::open(path, Database::Mode::ReadWrite);
    EXPECT_FALSE(database && migrate(database) == Migration::Current);
    EXPECT_NE(database.last_result(), Result::Ok);
    EXPECT_FALSE(database.last_message().empty());
}

}  // namespace
}  // namespace tessivar::store
