#include "store/schema.h"

#include <iterator>
#include <string>

namespace tessivar::store {
namespace {

// kSteps[n] brings version n to n + 1. A released step is never changed:
// a later change is a step of its own.
constexpr const char* kSteps[] = {
    R"(CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT NOT NULL);
       CREATE TABLE histories(meaning TEXT PRIMARY KEY, list BLOB NOT NULL);
       CREATE TABLE kept_form(name TEXT PRIMARY KEY, value TEXT NOT NULL);
       CREATE TABLE journal(id INTEGER PRIMARY KEY, tab INTEGER NOT NULL, at INTEGER NOT NULL,
                            pressed INTEGER NOT NULL, fields TEXT NOT NULL, short_text TEXT NOT NULL,
                            full_text TEXT NOT NULL, folded TEXT NOT NULL);
       CREATE INDEX journal_newest ON journal(tab, at DESC, id DESC, fields);
       CREATE INDEX journal_list ON journal(at DESC, id DESC, tab, pressed, fields);
       CREATE TABLE templates(id INTEGER PRIMARY KEY, tab INTEGER NOT NULL, name TEXT NOT NULL,
                              short_text TEXT NOT NULL, full_text TEXT NOT NULL, UNIQUE(tab, name));)",
    // The journal window reads its entries' order alone when it opens, and
    // the folded texts only at the first search: two narrow indexes, so that
    // neither reads the rows, whose descriptions fill a page each. The list's
    // index of fields goes: rows are now read a screenful at a time, by id.
    R"(DROP INDEX journal_list;
       CREATE INDEX journal_order ON journal(at DESC, id DESC);
       CREATE INDEX journal_search ON journal(at DESC, id DESC, folded);)",
    // Big texts were held three and four times over: the descriptions move
    // to a table of their own, so an entry's row is its fields alone; the
    // folded copy a search reads is kept apart, only where it is short (a
    // longer one is folded from the fields when searched); the indexes
    // holding whole texts go.
    R"(CREATE TABLE journal_texts(id INTEGER PRIMARY KEY, short_text TEXT NOT NULL, full_text TEXT NOT NULL);
       INSERT INTO journal_texts SELECT id, short_text, full_text FROM journal;
       CREATE TABLE journal_folded(id INTEGER PRIMARY KEY, folded TEXT NOT NULL);
       INSERT INTO journal_folded SELECT id, folded FROM journal WHERE length(CAST(folded AS BLOB)) <= 65536;
       DROP INDEX journal_search;
       DROP INDEX journal_newest;
       ALTER TABLE journal DROP COLUMN folded;
       ALTER TABLE journal DROP COLUMN short_text;
       ALTER TABLE journal DROP COLUMN full_text;
       CREATE INDEX journal_newest ON journal(tab, at DESC, id DESC);)",
};
static_assert(std::size(kSteps) == kSchemaVersion);

}  // namespace

Migration migrate(Database& database) {
    int version = database.user_version();
    if (version < 0) return Migration::Failed;
    if (version > kSchemaVersion) return Migration::Newer;
    if (version == kSchemaVersion) return Migration::Current;
    if (database.read_only()) return Migration::Failed;
    // Read again inside each transaction: another copy may have moved it on.
    while (version < kSchemaVersion) {
        bool newer = false;
        const bool stepped = database.transaction([&] {
            version = database.user_version();
            if (version < 0) return false;
            if (version >= kSchemaVersion) {
                newer = version > kSchemaVersion;
                return true;
            }
            ++version;
            return database.exec(kSteps[version - 1]) &&
                   database.exec("PRAGMA user_version = " + std::to_string(version));
        });
        if (!stepped) return Migration::Failed;
        if (newer) return Migration::Newer;
    }
    return Migration::Current;
}

}  // namespace tessivar::store
