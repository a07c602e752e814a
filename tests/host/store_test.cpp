// The database file against temporary files: what goes in comes back, an
// empty file becomes the current schema, a file from a later version is
// never written, two connections share one file, a spoilt file is put
// aside, and whatever else the file is, the store says why once and the
// program goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "snapshot/form_state.h"
#include "store/database.h"
#include "store/files.h"
#include "store/histories.h"
#include "store/kept.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/templates.h"
#include "tests/host/earlier_versions.h"
#include "tests/host/fault_vfs.h"
#include "tests/host/temporary_folder.h"

#include <sqlite3.h>

namespace tessivar::store {
namespace {

using testing::Call;
using testing::FaultVfs;
using testing::kFaultVfs;

std::string read_through(Store& store);

// How the journal window's reads find their rows: the order through an
// index of times, a search through the folded texts in one scan and an
// entry's row of fields by its id.
std::string journal_plan(Database& database) {
    std::string plans;
    for (const char* query : {"SELECT id FROM journal WHERE tab = 1 ORDER BY at DESC, id DESC LIMIT 1",
                              "SELECT id FROM journal ORDER BY at DESC, id DESC",
                              "SELECT id, folded FROM journal_folded",
                              "SELECT tab, fields FROM journal WHERE id = ?"}) {
        Statement plan = database.prepare(std::string("EXPLAIN QUERY PLAN ") + query);
        while (plan.step()) plans += plan.text(3) + "\n";
    }
    return plans;
}
constexpr const char* kJournalPlan =
    "SEARCH journal USING COVERING INDEX journal_newest (tab=?)\n"
    "SCAN journal USING COVERING INDEX journal_order\n"
    "SCAN journal_folded\n"
    "SEARCH journal USING INTEGER PRIMARY KEY (rowid=?)\n";

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
    // Migrating again changes nothing; the journal reads newest first by its indexes.
    EXPECT_EQ(migrate(database), Migration::Current);
    EXPECT_EQ(journal_plan(database), kJournalPlan);
}

// A file as the first version left it, with two entries: the later one
// first in time, and the earlier one's descriptions past its fields.
TEST_F(StoreTest, VersionOneFileMigratesWithItsJournal) {
    {
        Database database = opened();
        ASSERT_TRUE(database.exec(R"(
            CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT NOT NULL);
            CREATE TABLE histories(meaning TEXT PRIMARY KEY, list BLOB NOT NULL);
            CREATE TABLE kept_form(name TEXT PRIMARY KEY, value TEXT NOT NULL);
            CREATE TABLE journal(id INTEGER PRIMARY KEY, tab INTEGER NOT NULL, at INTEGER NOT NULL,
                                 pressed INTEGER NOT NULL, fields TEXT NOT NULL, short_text TEXT NOT NULL,
                                 full_text TEXT NOT NULL, folded TEXT NOT NULL);
            CREATE INDEX journal_newest ON journal(tab, at DESC, id DESC, fields);
            CREATE INDEX journal_list ON journal(at DESC, id DESC, tab, pressed, fields);
            CREATE TABLE templates(id INTEGER PRIMARY KEY, tab INTEGER NOT NULL, name TEXT NOT NULL,
                                   short_text TEXT NOT NULL, full_text TEXT NOT NULL, UNIQUE(tab, name));
            INSERT INTO journal VALUES(1, 0, 200, 1, 'Edit2=Анна' || char(10), 'short', 'full', 'анна' || char(10));
            INSERT INTO journal VALUES(2, 2, 100, 0, 'Edit4=Борис' || char(10), '', '', 'борис' || char(10));
            PRAGMA user_version = 1;)")) << database.last_message();
    }
    Database database = migrated();
    EXPECT_EQ(database.user_version(), kSchemaVersion);
    EXPECT_EQ(journal_order(database), (std::vector<std::int64_t>{1, 2}));
    const std::int64_t both[] = {1, 2};
    EXPECT_EQ(journal_matching(database, both, "борис"), (std::vector<std::int64_t>{2}));
    const std::int64_t second[] = {2};
    const auto rows = journal_rows(database, second);
    ASSERT_TRUE(rows.at(0));
    EXPECT_EQ(rows[0]->tab, Tab::Models);
    EXPECT_FALSE(rows[0]->pressed);
    EXPECT_EQ(journal_entry(database, 1)->full_text, "full");
    EXPECT_EQ(journal_plan(database), kJournalPlan);
    Statement old_index = database.prepare("SELECT count(*) FROM sqlite_schema WHERE name = 'journal_list'");
    ASSERT_TRUE(old_index.step());
    EXPECT_EQ(old_index.integer(0), 0);
}

TEST_F(StoreTest, FileFromALaterVersionIsNeverWritten) {
    {
        // The later program left its last commits in its log.
        Database database = migrated();
        ASSERT_TRUE(database.exec("PRAGMA journal_mode = WAL"));
        ASSERT_TRUE(put_setting(database, "name", "theirs"));
        ASSERT_TRUE(database.exec("PRAGMA user_version = " + std::to_string(kSchemaVersion + 1)));
        database.leave_log_on_close();
    }
    const auto contents = [this] {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const std::string before = contents();
    {
        Database database = opened();
        EXPECT_EQ(migrate(database), Migration::Newer);
        Database reading = opened(Database::Mode::ReadOnly);
        EXPECT_EQ(migrate(reading), Migration::Newer);
        EXPECT_EQ(setting(reading, "name"), "theirs");  // still read
        EXPECT_FALSE(put_setting(reading, "name", "ours"));
        EXPECT_FALSE(reading.transaction([] { return true; }));
        EXPECT_EQ(reading.last_result(), Result::ReadOnly);
        database.leave_log_on_close();
    }
    {
        Store store(path);
        store.open_existing();
        EXPECT_EQ(store.fault(), Fault::Newer);
        EXPECT_EQ(read_through(store), "theirs");
    }
    EXPECT_EQ(contents(), before);
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

std::string bytes_of(const std::string& path) {
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary) << bytes;
}

// Every fault the store tells, in the order told.
struct Told {
    std::vector<Fault> faults;
    std::string text;
    void listen(Store& store) {
        store.on_fault([this](Fault fault, const std::string& said) {
            faults.push_back(fault);
            text = said;
        });
    }
};

bool put_through(Store& store, const std::string& value) {
    return store.write([&](Database& database) { return store_setting(database, "name", value); });
}

std::string read_through(Store& store) {
    std::string value;
    const bool read = store.read([&](Database& database) {
        value = setting(database, "name");
        return true;
    });
    return read ? value : "<nothing>";
}

TEST(StoreNames, SpoiltFilesAreNamedByTheirUtcTime) {
    EXPECT_EQ(aside_name("C:\\Tessivar.db", 0), "C:\\Tessivar.db.bad-19700101-000000");
    EXPECT_EQ(aside_name("Tessivar.db", 1796863507), "Tessivar.db.bad-20261210-004507");
    EXPECT_EQ(aside_name("Tessivar.db", 951868799), "Tessivar.db.bad-20000229-235959");
}

TEST_F(StoreTest, AFileThatIsNotThereIsMadeOnlyAtTheFirstWriteInAFolderMadeThen) {
    const std::string deep = folder.file("Tessivar") + "/Tessivar.db";
    Store store(deep);
    Told told;
    told.listen(store);
    store.open_existing();
    EXPECT_EQ(read_through(store), "<nothing>");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Tessivar"));
    EXPECT_TRUE(put_through(store, "Пётр"));
    EXPECT_EQ(read_through(store), "Пётр");
    EXPECT_TRUE(told.faults.empty());
    std::string mode;
    EXPECT_TRUE(store.read([&](Database& database) {
        Statement journal = database.prepare("PRAGMA journal_mode");
        mode = journal.step() ? journal.text(0) : "";
        return true;
    }));
    EXPECT_EQ(mode, "wal");  // a commit waits for no disk
    Store next_run(deep);
    next_run.open_existing();
    EXPECT_EQ(read_through(next_run), "Пётр");
}

TEST_F(StoreTest, SpoiltFilesArePutAsideAndANewOneStarted) {
    std::string valid;
    {
        Store store(path);
        ASSERT_TRUE(store.write([](Database& database) {
            return store_setting(database, "name", std::string(40'000, 'a')) && database.exec("INSERT INTO journal_texts SELECT value, '', zeroblob(3000) "
                                 "FROM (WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n "
                                 "WHERE value < 300) SELECT value FROM n)");
        }));
    }
    valid = bytes_of(path);
    ASSERT_GT(valid.size(), 100'000u);
    std::string garbage;
    for (int i = 0; i < 8192; ++i) garbage += static_cast<char>((i * 7919) % 251);
    std::string header_then_garbage = valid.substr(0, 100) + garbage;
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"garbage bytes", garbage},
        {"truncated to half", valid.substr(0, valid.size() / 2)},
        {"a database's header, then garbage", header_then_garbage},
        {"one page of zeros", std::string(4096, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_bytes(path, c.bytes);
        write_bytes(path + "-journal", "not a journal");
        Store store(path);
        Told told;
        told.listen(store);
        store.open_existing();
        ASSERT_EQ(told.faults, std::vector<Fault>{Fault::PutAside});
        // Renamed, never deleted, named in the note; its journal (where
        // SQLite has not thrown it away as no journal) goes with it.
        std::vector<std::filesystem::path> aside;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().filename().string().find(".bad-") != std::string::npos) aside.push_back(entry.path());
        }
        std::erase_if(aside, [](const auto& p) { return p.string().ends_with("-journal"); });
        ASSERT_EQ(aside.size(), 1u);
        const std::filesystem::path file = aside[0];
        EXPECT_EQ(bytes_of(file.string()), c.bytes);
        EXPECT_NE(told.text.find(file.filename().string()), std::string::npos) << told.text;
        EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
        // A new file, kept in as ever.
        EXPECT_TRUE(put_through(store, "после"));
        EXPECT_EQ(read_through(store), "после");
        EXPECT_TRUE(store.keeping());
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().filename().string().find(".bad-") != std::string::npos) std::filesystem::remove(entry);
        }
    }
}

// A file whose first pages are sound opens; what is spoilt behind them
// shows at the first read of it, and is put aside then.
TEST_F(StoreTest, ASpoiltPageFoundWhileRunningPutsTheFileAsideToo) {
    {
        Store store(path);
        ASSERT_TRUE(store.write([](Database& database) {
            return database.exec("INSERT INTO journal_texts SELECT value, '', zeroblob(3000) "
                                 "FROM (WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n "
                                 "WHERE value < 100) SELECT value FROM n)");
        }));
    }
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096 * 8);
        file << std::string(4096 * 40, 'Z');
    }
    Store store(path);
    Told told;
    told.listen(store);
    store.open_existing();
    EXPECT_TRUE(told.faults.empty());
    EXPECT_FALSE(store.read([](Database& database) {
        Statement sum = database.prepare("SELECT sum(length(full_text)) FROM journal_texts");
        return sum.step();
    }));
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::PutAside});
    EXPECT_TRUE(put_through(store, "после"));
    EXPECT_EQ(read_through(store), "после");
}

TEST_F(StoreTest, WhatCannotBeWrittenKeepsNothingThisRunAndSaysWhyOnce) {
    const auto newer = [this] {
        Store store(path);
        ASSERT_TRUE(put_through(store, "theirs"));
        ASSERT_TRUE(store.write([](Database& database) {
            return database.exec("PRAGMA user_version = " + std::to_string(kSchemaVersion + 1));
        }));
    };
    const struct {
        const char* what;
        std::function<void()> make;
        Fault fault;
        std::string still_read;  // what the run reads, where it can
    } cases[] = {
        {"a file from a later version", newer, Fault::Newer, "theirs"},
        {"a folder where the file should be", [this] { std::filesystem::create_directory(path); }, Fault::Directory,
         "<nothing>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const std::string before = std::filesystem::is_regular_file(path) ? bytes_of(path) : "";
        {
            Store store(path);
            Told told;
            told.listen(store);
            store.open_existing();
            EXPECT_EQ(read_through(store), c.still_read);
            EXPECT_FALSE(put_through(store, "ours"));
            EXPECT_FALSE(put_through(store, "ours again"));
            EXPECT_FALSE(store.keeping());
            EXPECT_EQ(told.faults, std::vector<Fault>{c.fault});
            EXPECT_EQ(told.text, fault_text(c.fault, ""));
        }
        if (std::filesystem::is_regular_file(path)) {
            EXPECT_EQ(bytes_of(path), before);
        }
        std::filesystem::remove_all(path);
    }
}

TEST_F(StoreTest, AFullDiskEndsKeepingForTheRun) {
    Store store(path);
    Told told;
    told.listen(store);
    ASSERT_TRUE(put_through(store, "small"));
    // SQLite's own page limit fails a write as a full disk does.
    ASSERT_TRUE(store.write([](Database& database) { return database.exec("PRAGMA max_page_count = 8"); }));
    EXPECT_FALSE(put_through(store, std::string(1 << 20, 'x')));
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::Full});
    EXPECT_FALSE(put_through(store, "small again"));
    EXPECT_EQ(read_through(store), "small");
    EXPECT_EQ(told.faults.size(), 1u);
}

// Another copy closing with a checkpoint, a long migration, a scan: the
// file is refused for a while, and then it is not.
// A write of megabytes goes on a thread of its own; whatever the store is
// asked next waits for it, so that its lock is never taken for another
// program's. Where it cannot be kept now, it is not begun: the foreground
// write tells why.
TEST_F(StoreTest, AWriteBehindGoesOnAThreadOfItsOwnAndWhatComesNextWaitsForIt) {
    Store store(path);
    Told told;
    told.listen(store);
    std::atomic<int> ended = -1;
    const auto finished = [&](bool committed) { ended = committed; };
    const auto writes = [](const char* value) {
        return [value](Database& database) { return store_setting(database, "name", value); };
    };
    EXPECT_FALSE(store.write_behind(writes("до файла"), finished));  // no file yet
    ASSERT_TRUE(put_through(store, "до"));

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::thread::id writer;
    ASSERT_TRUE(store.write_behind([&](Database& database) {
        writer = std::this_thread::get_id();
        released.wait();
        return store_setting(database, "name", "позади");
    }, finished));
    release.set_value();
    EXPECT_EQ(read_through(store), "позади");
    EXPECT_EQ(ended, 1);
    EXPECT_NE(writer, std::this_thread::get_id());

    ASSERT_TRUE(store.write_behind([](Database& database) { return store_setting(database, "name", "нет") && false; },
                                   finished));
    EXPECT_TRUE(put_through(store, "после"));
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(read_through(store), "после");
    EXPECT_TRUE(told.faults.empty());

    Database holder = opened();
    ASSERT_TRUE(holder.exec("BEGIN IMMEDIATE"));
    EXPECT_FALSE(put_through(store, "под замком"));
    EXPECT_FALSE(store.write_behind(writes("под замком"), finished));  // a wait is on
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::Locked});
}

TEST_F(StoreTest, ALockIsPassingTheStoreWaitsItOutAndCatchesUp) {
    {
        Store store(path);
        ASSERT_TRUE(put_through(store, "до"));
    }
    auto now = StoreOptions::Clock::time_point{} + std::chrono::hours(1);
    Store store(path, {kFaultVfs, [&] { return now; }});
    Told told;
    told.listen(store);
    // Held as the store opens.
    Database holder = opened();
    ASSERT_TRUE(holder.exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE"));
    store.open_existing();
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::Locked});
    EXPECT_EQ(told.text, fault_text(Fault::Locked, ""));
    EXPECT_TRUE(store.waiting());
    EXPECT_TRUE(store.keeping());
    EXPECT_EQ(store.fault(), Fault::Locked);
    EXPECT_EQ(store.retry_in(), Store::kFirstRetry);
    holder = {};
    EXPECT_EQ(read_through(store), "<nothing>");  // still within the wait
    now += store.retry_in();
    EXPECT_EQ(read_through(store), "до");  // what was kept before is offered
    EXPECT_EQ(told.faults, (std::vector<Fault>{Fault::Locked, Fault::CaughtUp}));
    EXPECT_EQ(store.fault(), Fault::None);

    // Refused at each write: within a wait the file is not even asked, and
    // each refusal in a row waits twice as long, up to the longest.
    FaultVfs& vfs = FaultVfs::get();
    vfs.fail(Call::Lock, SQLITE_BUSY);
    EXPECT_FALSE(put_through(store, "в ожидании"));
    std::vector<long long> waits;
    for (int i = 0; i < 6; ++i) {
        waits.push_back(store.retry_in().count());
        const int asked = vfs.failed();
        EXPECT_FALSE(put_through(store, "в ожидании"));
        EXPECT_EQ(vfs.failed(), asked);
        now += store.retry_in();
        EXPECT_FALSE(put_through(store, "в ожидании"));
        EXPECT_GT(vfs.failed(), asked);
    }
    EXPECT_EQ(waits, (std::vector<long long>{500, 1000, 2000, 4000, 8000, 8000}));
    EXPECT_EQ(read_through(store), "до");  // reading goes on meanwhile
    vfs.clear();
    EXPECT_EQ(told.faults, (std::vector<Fault>{Fault::Locked, Fault::CaughtUp, Fault::Locked}));
    // The last save at close does not wait for the backoff.
    store.attempt_now();
    EXPECT_TRUE(put_through(store, "после"));
    EXPECT_FALSE(store.waiting());
    EXPECT_EQ(store.retry_in().count(), 0);
    EXPECT_EQ(told.faults, (std::vector<Fault>{Fault::Locked, Fault::CaughtUp, Fault::Locked, Fault::CaughtUp}));
    EXPECT_EQ(told.text, fault_text(Fault::CaughtUp, ""));

    // Another copy's write lock, held past the busy timeout.
    Database other = opened();
    ASSERT_TRUE(other.exec("BEGIN IMMEDIATE"));
    EXPECT_FALSE(put_through(store, "занято"));
    EXPECT_EQ(store.fault(), Fault::Locked);
    ASSERT_TRUE(other.exec("COMMIT"));
    now += store.retry_in();
    EXPECT_TRUE(put_through(store, "занято"));
    Store next_run(path);
    EXPECT_EQ(read_through(next_run), "занято");
}

// A slow stick: the first start of a new version meets another copy
// writing, and migrates once it is done.
TEST_F(StoreTest, AMigrationHeldUpByALockIsDoneOnceTheLockGoes) {
    {
        Store store(path);
        ASSERT_TRUE(put_through(store, "до"));
        ASSERT_TRUE(store.write([](Database& database) {
            return database.exec(testing::kBackToVersionTwo);
        }));
    }
    Database other = opened();
    ASSERT_TRUE(other.exec("BEGIN IMMEDIATE"));
    Store store(path);
    Told told;
    told.listen(store);
    store.open_existing();
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::Locked});
    EXPECT_FALSE(put_through(store, "после"));
    ASSERT_TRUE(other.exec("COMMIT"));
    store.attempt_now();
    EXPECT_TRUE(put_through(store, "после"));
    EXPECT_EQ(told.faults, (std::vector<Fault>{Fault::Locked, Fault::CaughtUp}));
    EXPECT_EQ(other.user_version(), kSchemaVersion);
    EXPECT_EQ(setting(other, "name"), "после");
}

// A write-protected stick, or a folder this user may not write: root's
// chmod stops nothing, so the VFS refuses as the system would.
TEST_F(StoreTest, AFileThatCannotBeWrittenIsReadAndNamedReadOnly) {
    FaultVfs& vfs = FaultVfs::get();
    const struct {
        const char* what;
        bool medium;
        const char* journal_mode;
    } cases[] = {
        {"a read-only medium, the log closed cleanly", true, "WAL"},
        {"a read-only medium, a rollback journal", true, "DELETE"},
        {"a read-only folder, the log closed cleanly", false, "WAL"},
        {"a read-only folder, a rollback journal", false, "DELETE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            Store store(path);
            ASSERT_TRUE(put_through(store, "сохранено до"));
        }
        {
            Database database = opened();
            ASSERT_TRUE(database.exec(std::string("PRAGMA journal_mode = ") + c.journal_mode));
        }
        const auto listing = [this] {
            std::vector<std::string> names;
            for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
                names.push_back(entry.path().filename().string());
            }
            return names;
        };
        const std::vector<std::string> before = listing();
        ASSERT_EQ(before, std::vector<std::string>{"Tessivar.db"});
        const std::string bytes = bytes_of(path);
        c.medium ? vfs.set_read_only_medium(true) : vfs.set_read_only_folder(true);
        {
            Store store(path, {kFaultVfs});
            Told told;
            told.listen(store);
            store.open_existing();
            EXPECT_EQ(read_through(store), "сохранено до");
            EXPECT_FALSE(put_through(store, "ours"));
            EXPECT_FALSE(store.keeping());
            EXPECT_FALSE(store.waiting());
            EXPECT_EQ(told.faults, std::vector<Fault>{Fault::ReadOnly});
        }
        vfs.clear();
        EXPECT_EQ(listing(), before);
        EXPECT_EQ(bytes_of(path), bytes);
        std::filesystem::remove(path);
    }
    // Nothing there, and nowhere to make it.
    vfs.set_read_only_folder(true);
    Store store(path, {kFaultVfs});
    Told told;
    told.listen(store);
    EXPECT_FALSE(put_through(store, "ours"));
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::ReadOnly});
    vfs.clear();
}

// A spoilt journal page costs the journal, never the rest: the form, the
// histories, the layouts and the settings are in the new file at once.
TEST_F(StoreTest, ASpoiltFileHasEveryTableThatStillReadsCopiedToTheNewOne) {
    const std::size_t author[] = {snapshot::field_named("Edit2")};
    snapshot::Snapshot form;
    form.values[author[0]] = "Пётр";
    {
        Store store(path);
        ASSERT_TRUE(put_through(store, "настройка"));
        ASSERT_TRUE(store.write([&](Database& database) {
            return keep_form(database, form, author) &&
                   store_history(database, history::Meaning::Site, {u"сайт"});
        }));
        ASSERT_EQ(store::TemplateStore(store).add(Tab::Maps, "Своё", {"кратко", "полно"}), store::TemplateWrite::Done);
        ASSERT_TRUE(store.write([](Database& database) {
            return database.exec("INSERT INTO journal_texts SELECT value, '', zeroblob(3000) "
                                 "FROM (WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n "
                                 "WHERE value < 100) SELECT value FROM n)");
        }));
    }
    const std::string sound = bytes_of(path);
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(sound.size() - 4096 * 40));
        file << std::string(4096 * 40, 'Z');
    }
    const std::string spoilt = bytes_of(path);
    Store store(path);
    Told told;
    bool written_at_once = false;
    store.on_fault([&](Fault fault, const std::string& text) {
        told.faults.push_back(fault);
        told.text = text;
        if (fault == Fault::PutAside) written_at_once = put_through(store, "из памяти");
    });
    store.open_existing();
    EXPECT_FALSE(store.read([](Database& database) {
        return database.prepare("SELECT sum(length(full_text)) FROM journal_texts").step();
    }));
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::PutAside});
    EXPECT_TRUE(written_at_once);  // the new file takes writes as it is told
    EXPECT_EQ(store.fault(), Fault::PutAside);
    EXPECT_EQ(read_through(store), "из памяти");
    EXPECT_TRUE(store.read([&](Database& database) {
        EXPECT_EQ(read_kept_form(database).values[author[0]], "Пётр");
        EXPECT_EQ(stored_history(database, history::Meaning::Site), history::Values{u"сайт"});
        Statement journal = database.prepare("SELECT count(*) FROM journal");
        EXPECT_TRUE(journal.step());
        EXPECT_EQ(journal.integer(0), 0);  // it did not read: it is only in the file put aside
        return true;
    }));
    EXPECT_EQ(store::TemplateStore(store).find(Tab::Maps, "Своё"), (TemplateText{"кратко", "полно"}));
    std::string aside;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        if (name.find(".bad-") != std::string::npos && !name.ends_with("-wal") && !name.ends_with("-shm")) {
            aside = entry.path().string();
        }
    }
    EXPECT_EQ(bytes_of(aside), spoilt);
}

// A spoilt page met in a file the store only reads: that file is not the
// store's to move.
TEST_F(StoreTest, AFileHeldForReadingIsNeverPutAside) {
    FaultVfs& vfs = FaultVfs::get();
    const struct {
        const char* what;
        bool newer;
        Fault fault;
    } cases[] = {{"from a later version", true, Fault::Newer}, {"on a read-only medium", false, Fault::ReadOnly}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            Store store(path);
            ASSERT_TRUE(store.write([&](Database& database) {
                return database.exec("INSERT INTO journal_texts SELECT value, '', zeroblob(3000) "
                                     "FROM (WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 "
                                     "FROM n WHERE value < 100) SELECT value FROM n)") &&
                       (!c.newer || database.exec("PRAGMA user_version = " + std::to_string(kSchemaVersion + 1)));
            }));
        }
        {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(4096 * 20);
            file << std::string(4096 * 40, 'Z');
        }
        const std::string spoilt = bytes_of(path);
        vfs.set_read_only_medium(!c.newer);
        {
            Store store(path, {kFaultVfs});
            Told told;
            told.listen(store);
            store.open_existing();
            EXPECT_FALSE(store.read([](Database& database) {
                return database.prepare("SELECT sum(length(full_text)) FROM journal_texts").step();
            }));
            EXPECT_EQ(told.faults, std::vector<Fault>{c.fault});
            EXPECT_EQ(store.fault(), c.fault);
        }
        vfs.clear();
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            EXPECT_EQ(entry.path().filename().string().find(".bad-"), std::string::npos) << entry.path();
        }
        EXPECT_EQ(bytes_of(path), spoilt);
        std::filesystem::remove(path);
    }
}

// A stick pulled out while the program runs, or the power gone: whatever
// reached the disk is a sound file; with each commit flushed, it holds
// everything reported kept, and without, what the last checkpoint wrote.
TEST_F(StoreTest, APowerCutSpoilsNoFileAndAFlushedOneLosesNothingKept) {
    FaultVfs& vfs = FaultVfs::get();
    for (const bool flushed : {true, false}) {
        SCOPED_TRACE(flushed ? "each commit flushed" : "flushed at checkpoints");
        {
            Store store(path);
            ASSERT_TRUE(put_through(store, "до"));
        }
        vfs.watch_for_power_cuts();
        {
            StoreOptions options{kFaultVfs};
            options.flush_each_commit = flushed;
            Store store(path, options);
            ASSERT_TRUE(put_through(store, "после"));
            ASSERT_TRUE(store.write([](Database& database) {
                return database.exec("INSERT INTO journal_texts VALUES(1, '', zeroblob(20000))");
            }));
            vfs.cut_power();
        }
        vfs.clear();
        {
            Store next_run(path);
            Told told;
            told.listen(next_run);
            EXPECT_EQ(read_through(next_run), flushed ? "после" : "до");
            EXPECT_TRUE(told.faults.empty());
            EXPECT_TRUE(next_run.read([](Database& database) {
                Statement check = database.prepare("PRAGMA integrity_check");
                return check.step() && check.text(0) == "ok";
            }));
            EXPECT_TRUE(put_through(next_run, "дальше"));
        }
        for (const char* companion : {"", "-wal", "-shm"}) std::filesystem::remove(path + companion);
    }
}

TEST_F(StoreTest, AConnectionThatFailedToOpenRefusesEverything) {
    for (const Database::Mode mode : {Database::Mode::ReadWrite, Database::Mode::ReadOnly}) {
        Database database = Database::open(folder.file("missing") + "/Tessivar.db", mode);
        EXPECT_FALSE(database);
        EXPECT_FALSE(database.read_only());
        EXPECT_FALSE(database.transaction([] { return true; }));
        EXPECT_FALSE(database.exec("SELECT 1"));
        EXPECT_EQ(database.user_version(), -1);
        EXPECT_EQ(database.last_result(), Result::CannotOpen);
    }
}

// A path is only ever a path: whatever it holds reaches the system as written.
TEST_F(StoreTest, APathIsGivenToSqliteAsItIs) {
    const struct {
        const char* path;
        Database::Mode mode;
        const char* uri;
    } cases[] = {
        {"/tmp/a b.db", Database::Mode::ReadWrite, "file:///tmp/a%20b.db"},
        {"C:\\Users\\Пётр\\Tessivar.db", Database::Mode::ReadOnly,
         "file:///C:%5CUsers%5C%D0%9F%D1%91%D1%82%D1%80%5CTessivar.db?mode=ro"},
        {"\\\\server\\share\\T.db", Database::Mode::Immutable, "file:%5C%5Cserver%5Cshare%5CT.db?mode=ro&immutable=1"},
        {"rel?#%&=.db", Database::Mode::ReadWrite, "file:rel%3F%23%25%26%3D.db"},
    };
    for (const auto& c : cases) EXPECT_EQ(Database::uri(c.path, c.mode), c.uri) << c.path;
    const std::string odd = folder.file("100% #1 ёж&mode=ro.db");
    Store store(odd);
    ASSERT_TRUE(put_through(store, "ёж"));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(std::u8string(odd.begin(), odd.end()))));
}

using history::Meaning;
using history::Values;

class StoredHistories : public StoreTest {
protected:
    Store store{path};
    StoreHistories histories{store};
};

TEST_F(StoredHistories, EachMeaningKeepsItsOwnListForTheNextRunAndAnotherCopy) {
    for (Meaning meaning : history::kMeanings) {
        histories.record(meaning, u"общий");
        histories.record(meaning, std::u16string(u"свой ") + history::stored_name(meaning).data());
    }
    Store other_copy(path);
    StoreHistories others(other_copy);
    for (Meaning meaning : history::kMeanings) {
        EXPECT_EQ(others.values(meaning),
                  (Values{std::u16string(u"свой ") + history::stored_name(meaning).data(), u"общий"}));
    }
    others.record(Meaning::Author, u"из другой копии");
    histories.forget(Meaning::Author, u"общий");
    EXPECT_EQ(histories.values(Meaning::Author), (Values{u"из другой копии", u"свой Authors"}));
}

TEST_F(StoredHistories, TheSwitchIsOnUnlessTurnedOffAndOffForgetsEveryHistory) {
    const struct {
        const char* stored;
        bool on;
    } cases[] = {{nullptr, true}, {"'1'", true}, {"'0'", false}, {"'нет'", true}, {"X'30'", true}, {"''", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "none");
        ASSERT_TRUE(store.write([&](Database& database) {
            return database.exec(c.stored ? std::string("INSERT OR REPLACE INTO settings VALUES('remembering', ") +
                                                c.stored + ")"
                                          : std::string("DELETE FROM settings"));
        }));
        EXPECT_EQ(histories.remembering(), c.on);
    }
    EXPECT_TRUE(histories.set_remembering(true));
    for (Meaning meaning : history::kMeanings) histories.record(meaning, u"значение");
    EXPECT_TRUE(histories.set_remembering(false));
    EXPECT_FALSE(StoreHistories(store).remembering());
    for (Meaning meaning : history::kMeanings) {
        histories.record(meaning, u"после");
        EXPECT_EQ(histories.values(meaning), Values{});
    }
    EXPECT_TRUE(histories.set_remembering(true));
    histories.record(Meaning::Site, u"после");
    EXPECT_EQ(histories.values(Meaning::Site), Values{u"после"});
}

TEST_F(StoredHistories, TheOldValuesAreTakenOverOnceAndAListAlreadyThereStays) {
    histories.record(Meaning::Site, u"уже здесь");
    Imported old;
    for (Meaning meaning : history::kMeanings) old.histories.push_back({u"старое", history::stored_name(meaning).data()});
    old.remembering = false;
    Database database = Database::open(path, Database::Mode::ReadWrite);
    EXPECT_FALSE(taken_over(database));
    ASSERT_TRUE(take_over(database, old));
    EXPECT_TRUE(taken_over(database));
    EXPECT_EQ(histories.values(Meaning::Author), (Values{u"старое", u"Authors"}));
    EXPECT_EQ(histories.values(Meaning::Duration), (Values{u"старое", u"Durations"}));
    EXPECT_EQ(histories.values(Meaning::Site), Values{u"уже здесь"});
    EXPECT_FALSE(histories.remembering());

    EXPECT_TRUE(histories.set_remembering(true));
    const Imported again{{Values{u"ещё раз"}}, false};
    ASSERT_TRUE(take_over(database, again));  // done already: nothing changes
    EXPECT_EQ(histories.values(Meaning::Author), (Values{u"старое", u"Authors"}));
    EXPECT_TRUE(histories.remembering());
}

#ifndef _WIN32
// The native build answers as the Windows build does about links: a
// link is judged itself, and is moved, never its target.
TEST_F(StoreTest, LinksAreJudgedAsWindowsJudgesThem) {
    namespace fs = std::filesystem;
    std::ofstream(folder.path() / "real.db") << "x";
    fs::create_directory(folder.path() / "folder");
    fs::create_symlink(folder.path() / "real.db", folder.path() / "to file");
    fs::create_symlink(folder.path() / "folder", folder.path() / "to folder");
    fs::create_symlink(folder.path() / "missing.db", folder.path() / "dangling");
    const struct {
        const char* name;
        files::Entry entry;
    } cases[] = {
        {"real.db", files::Entry::File},         {"folder", files::Entry::Folder},
        {"to file", files::Entry::File},         {"to folder", files::Entry::Folder},
        {"dangling", files::Entry::File},        {"missing.db", files::Entry::None},
    };
    for (const auto& c : cases) EXPECT_EQ(files::entry_at(folder.file(c.name)), c.entry) << c.name;
    EXPECT_FALSE(files::rename(folder.file("real.db"), folder.file("dangling")));
    EXPECT_FALSE(files::rename(folder.file("real.db"), folder.file("folder")));
    EXPECT_TRUE(fs::is_regular_file(folder.path() / "real.db"));
    EXPECT_TRUE(files::rename(folder.file("to file"), folder.file("moved")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder.path() / "moved")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.path() / "real.db")));
}

// Root writes any file whatever its mode: the file system's immutable flag
// stands in for a read-only file and folder.
bool immutable(const std::filesystem::path& path, bool on) {
    return std::system(("chattr " + std::string(on ? "+i" : "-i") + " '" + path.string() + "' 2>/dev/null").c_str()) == 0;
}

TEST_F(StoreTest, AReadOnlyFileIsReadAndAReadOnlyFolderMakesNothing) {
    {
        Store store(path);
        ASSERT_TRUE(put_through(store, "kept before"));
    }
    if (!immutable(path, true)) GTEST_SKIP() << "no immutable flag here";
    {
        Store store(path);
        Told told;
        told.listen(store);
        store.open_existing();
        EXPECT_EQ(read_through(store), "kept before");
        EXPECT_FALSE(put_through(store, "ours"));
        EXPECT_EQ(told.faults, std::vector<Fault>{Fault::ReadOnly});
    }
    immutable(path, false);
    std::filesystem::remove(path);
    ASSERT_TRUE(immutable(folder.path(), true));
    Store store(path);
    Told told;
    told.listen(store);
    EXPECT_FALSE(put_through(store, "ours"));
    EXPECT_EQ(told.faults, std::vector<Fault>{Fault::ReadOnly});
    immutable(folder.path(), false);
}
#endif

}  // namespace
}  // namespace tessivar::store
