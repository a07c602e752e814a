// Every write path the store offers, under every fault the file can meet:
// afterwards what was reported kept is in the file at the next opening, a
// write that failed is tried again and goes through once the fault is gone
// (in the same run for a passing lock, in the next for a lasting fault),
// and no fault spoils the file or has it put aside.
#include <gtest/gtest.h>

#include <atomic>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "snapshot/form_state.h"
#include "store/histories.h"
#include "store/kept.h"
#include "store/store.h"
#include "store/templates.h"
#include "tests/host/fault_vfs.h"
#include "tests/host/temporary_folder.h"

namespace tessivar::store {
namespace {

using testing::Call;
using testing::FaultVfs;
using testing::kFaultVfs;
using snapshot::field_named;

snapshot::Snapshot form_by(const std::string& author) {
    snapshot::Snapshot form;
    form.values[field_named("Edit2")] = author;
    form.values[field_named("Memo1")] = "Правила\r\nвторая";
    return form;
}

const TemplateText kLayout{"[b]{Edit2}[/b]", "полное {Edit2}"};

// One write path: what it writes through the store, and whether that is
// what the file now holds.
struct WritePath {
    const char* name;
    std::function<bool(Store&)> write;
    std::function<bool(Database&)> in_file;
    bool at_opening = false;  // runs as the file opens (the registry import)
    bool forgets_the_form = false;
};

Imported registry_values() {
    Imported old;
    old.histories.assign(std::size(history::kMeanings), history::Values{u"из реестра"});
    old.remembering = true;
    return old;
}

NewEntry pressed_entry() { return {Tab::Maps, 300, true, form_by("нажато"), "кратко", "полно"}; }

const std::vector<WritePath>& write_paths() {
    static const std::vector<WritePath> paths = {
        {"the kept form's save",
         [](Store& store) {
             const std::size_t fields[] = {field_named("Edit2")};
             return store.write([&](Database& database) { return keep_form(database, form_by("новое"), fields); });
         },
         [](Database& database) { return read_kept_form(database).values[field_named("Edit2")] == "новое"; }},
        {"a box of megabytes saved behind the window",
         [](Store& store) {
             const std::size_t fields[] = {field_named("Edit2")};
             const auto write = [&](Database& database) { return keep_form(database, form_by("позади"), fields); };
             std::atomic<bool> committed = false;
             if (store.write_behind(write, [&](bool done) { committed = done; })) {
                 store.settle_behind();
                 if (committed) return true;
             }
             return store.write(write);  // as the form does: in the foreground, where a failure is told
         },
         [](Database& database) { return read_kept_form(database).values[field_named("Edit2")] == "позади"; }},
        {"a press's journal entry",
         [](Store& store) {
             return store.write([&](Database& database) { return add_to_journal(database, pressed_entry()); });
         },
         [](Database& database) { return in_journal(database, pressed_entry()); }},
        {"Delete in the journal",
         [](Store& store) {
             const std::int64_t first[] = {1};
             return store.write([&](Database& database) { return remove_from_journal(database, first); });
         },
         [](Database& database) { return !journal_entry(database, 1) && journal_entry(database, 2); }},
        {"a history's new value",
         [](Store& store) {
             return store.write([](Database& database) {
                 history::Values values = stored_history(database, history::Meaning::Author);
                 history::remember(values, u"новый автор");
                 return store_history(database, history::Meaning::Author, values);
             });
         },
         [](Database& database) {
             return stored_history(database, history::Meaning::Author) == history::Values{u"новый автор", u"до"};
         }},
        {"the remembering switch turned off",
         [](Store& store) {
             return store.write([](Database& database) { return store_remembering(database, false); });
         },
         [](Database& database) {
             return setting(database, kRememberingSetting) == "0" &&
                    stored_history(database, history::Meaning::Author).empty() &&
                    read_kept_form(database) == snapshot::Snapshot{};
         },
         false, true},
        {"a layout's save",
         [](Store& store) { return store::TemplateStore(store).save(Tab::Maps, "Своё", kLayout) == store::TemplateWrite::Done; },
         [](Database& database) {
             Statement read = database.prepare("SELECT short_text FROM templates WHERE name = 'Своё'");
             return read.step() && read.text(0) == kLayout.short_text;
         }},
        {"the registry import", nullptr, [](Database& database) { return taken_over(database); }, true},
    };
    return paths;
}

struct FaultCase {
    Call call;
    int code;
    int nth = 1;
};
const FaultCase kFaults[] = {
    {Call::Lock, SQLITE_BUSY},      {Call::Read, SQLITE_IOERR},  {Call::Write, SQLITE_IOERR},
    {Call::Write, SQLITE_IOERR, 3}, {Call::Write, SQLITE_FULL},  {Call::Write, SQLITE_READONLY},
    {Call::Sync, SQLITE_IOERR},     {Call::Truncate, SQLITE_IOERR},
};

std::string describe(const FaultCase& fault) {
    return std::string(testing::name_of(fault.call)) + " #" + std::to_string(fault.nth) + " -> " +
           sqlite3_errstr(fault.code);
}

class StoreFaults : public ::testing::Test {
protected:
    TemporaryFolder folder;
    const std::string path = folder.file("Tessivar.db");
    FaultVfs& vfs = FaultVfs::get();
    StoreOptions on_faults{kFaultVfs};

    void TearDown() override { vfs.clear(); }

    // Something of every kind kept before the fault, checkpointed into the
    // file by the closing.
    void make_baseline() {
        Store store(path);
        const NewEntry first{Tab::Maps, 100, true, form_by("первый"), "к1", "п1"};
        const NewEntry second{Tab::Models, 200, true, {}, "к2", "п2"};
        ASSERT_TRUE(store.write([&](Database& database) {
            const std::size_t memo[] = {field_named("Memo1")};
            return store_setting(database, "name", "до") && keep_form(database, form_by("до"), memo) &&
                   add_to_journal(database, first) && add_to_journal(database, second) &&
                   store_history(database, history::Meaning::Author, {u"до"}) &&
                   database.exec("INSERT INTO templates(tab, name, short_text, full_text) VALUES(0, 'Своё', 'a', 'b')");
        }));
    }

    // What no path changes is still there; the file is sound.
    void expect_sound_with_baseline(const WritePath& write_path) {
        Database database = Database::open(path, Database::Mode::ReadWrite);
        Statement check = database.prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.step()) << database.last_message();
        EXPECT_EQ(check.text(0), "ok");
        EXPECT_EQ(setting(database, "name"), "до");
        if (!write_path.forgets_the_form) {
            EXPECT_EQ(read_kept_form(database).values[field_named("Memo1")], "Правила\r\nвторая");
        }
        EXPECT_TRUE(journal_entry(database, 2));
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            EXPECT_EQ(entry.path().filename().string().find(".bad-"), std::string::npos) << entry.path();
        }
    }

    bool in_file(const WritePath& write_path) {
        Database database = Database::open(path, Database::Mode::ReadWrite);
        return write_path.in_file(database);
    }

    // One attempt on a store of its own: the import as the store opens,
    // any other path on a store opened before the fault.
    bool attempt(Store& store, const WritePath& write_path, bool& imported) {
        if (!write_path.at_opening) return write_path.write(store);
        store.attempt_now();
        store.open_existing();
        return imported;
    }
};

TEST_F(StoreFaults, EveryWritePathUnderEveryFaultKeepsWhatItReportsKept) {
    make_baseline();
    const std::string baseline = [&] {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }();
    std::map<std::string, int> fired;
    int cases = 0;
    for (const WritePath& write_path : write_paths()) {
        for (const FaultCase& fault : kFaults) {
            SCOPED_TRACE(std::string(write_path.name) + " under " + describe(fault));
            ++cases;
            std::filesystem::remove(path + "-wal");
            std::filesystem::remove(path + "-shm");
            std::ofstream(path, std::ios::binary | std::ios::trunc) << baseline;
            bool imported = false;
            const auto open_store = [&](Store& store) {
                store.on_opened([&](Database& database) { imported = take_over(database, registry_values()); });
                if (!write_path.at_opening) store.open_existing();
            };
            bool kept = false;
            {
                Store store(path, on_faults);
                open_store(store);
                vfs.fail(fault.call, fault.code, fault.nth);
                kept = attempt(store, write_path, imported);
                fired[describe(fault)] += vfs.failed();
                vfs.clear();
                // A refused write is told: the store waits, or says it keeps nothing.
                if (!kept && !write_path.at_opening) {
                    EXPECT_NE(store.fault(), Fault::None);
                }
                if (kept) {
                    EXPECT_TRUE(in_file(write_path)) << "reported kept, not in the file";
                } else if (fault.code == SQLITE_BUSY) {
                    EXPECT_TRUE(store.waiting());
                    EXPECT_TRUE(store.keeping());
                    store.attempt_now();
                    kept = attempt(store, write_path, imported);
                    EXPECT_TRUE(kept) << "a passing lock gone, the retry goes through in the same run";
                    EXPECT_FALSE(store.waiting());
                } else {
                    EXPECT_FALSE(store.waiting());
                    kept = attempt(store, write_path, imported);
                }
                // The closing meets the same fault.
                vfs.fail(fault.call, fault.code, fault.nth);
            }
            fired[describe(fault)] += vfs.failed();
            vfs.clear();
            if (!kept) {
                Store next_run(path);
                open_store(next_run);
                kept = attempt(next_run, write_path, imported);
                EXPECT_TRUE(kept) << "the fault gone, the next run's retry goes through";
            }
            EXPECT_EQ(in_file(write_path), kept);
            expect_sound_with_baseline(write_path);
        }
    }
    // Each fault was met somewhere: none of the cases above is idle.
    for (const FaultCase& fault : kFaults) EXPECT_GT(fired[describe(fault)], 0) << describe(fault);
    EXPECT_EQ(cases, 64);
}

}  // namespace
}  // namespace tessivar::store
