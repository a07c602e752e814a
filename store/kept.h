#pragma once
// The kept form and the journal of descriptions in the database file. The
// writes run inside the caller's one short write transaction, which a false
// result rolls back; a failed read reads as nothing kept.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "snapshot/form_state.h"
#include "store/database.h"

namespace tessivar::store {

// The form as it was left; a name or value this program would not have
// written reads as absent.
snapshot::Snapshot read_kept_form(Database& database);
// The `fields` of `form`.
bool keep_form(Database& database, const snapshot::Snapshot& form, std::span<const std::size_t> fields);
bool forget_kept_form(Database& database);

// A journal entry as its list shows it; the descriptions are read on opening.
struct JournalRow {
    std::int64_t id = 0;
    Tab tab = Tab::Maps;
    std::int64_t at = 0;  // seconds since 1970, UTC
    bool pressed = true;  // false: kept as it stood when another entry replaced it
    snapshot::Snapshot fields;
    std::string folded;  // what a search looks in
};
struct JournalEntry {
    JournalRow row;
    std::string short_text, full_text;
};

struct NewEntry {
    Tab tab;
    std::int64_t at;
    bool pressed;
    snapshot::Snapshot form;  // the tab's fields are taken from it
    std::string short_text, full_text;
};
// A press adds an entry; one whose fields equal the tab's newest entry
// only moves that entry's time (and makes it pressed, with these texts).
bool add_to_journal(Database& database, const NewEntry& entry);
// Whether any entry of the tab holds exactly these fields.
bool in_journal(Database& database, Tab tab, const snapshot::Snapshot& form);
// Newest first; an entry whose fields this program would not have written is left out.
std::vector<JournalRow> journal_rows(Database& database);
std::optional<JournalEntry> journal_entry(Database& database, std::int64_t id);
bool remove_from_journal(Database& database, std::span<const std::int64_t> ids);

}  // namespace tessivar::store
