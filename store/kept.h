#pragma once
// The kept form and the journal of descriptions in the database file. The
// writes run inside the caller's one short write transaction, which a false
// result rolls back; a failed read reads as nothing kept.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "snapshot/form_state.h"
#include "store/database.h"

namespace tessivar::store {

// The form as it was left; a name or value this program would not have
// written reads as absent.
snapshot::Snapshot read_kept_form(Database& database);
// The `fields` of `form`.
[[nodiscard]] bool keep_form(Database& database, const snapshot::Snapshot& form, std::span<const std::size_t> fields);
[[nodiscard]] bool forget_kept_form(Database& database);

// A journal entry as its list shows it; the descriptions are read on opening.
struct JournalRow {
    std::int64_t id = 0;
    Tab tab = Tab::Maps;
    std::int64_t at = 0;  // seconds since 1970, UTC
    bool pressed = true;  // false: kept as it stood when another entry replaced it
    snapshot::Snapshot fields;
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
// A press adds an entry; one whose fields equal the tab's newest pressed
// entry only moves that entry's time (with these texts). An entry with the
// newest one's fields and descriptions only moves its time (a press makes it
// pressed). Descriptions a press did not write, hand edits of the panes
// kept as they stood, are never written over.
[[nodiscard]] bool add_to_journal(Database& database, const NewEntry& entry);
// Whether any entry of the tab holds exactly these fields and descriptions.
bool in_journal(Database& database, const NewEntry& entry);
// Every entry's id, newest first, read from an index of times alone: the
// list asks for the rows of the screenful it shows.
std::vector<std::int64_t> journal_order(Database& database);
// The rows of `ids`, in their order: nothing for an entry gone, or one whose
// fields this program would not have written.
std::vector<std::optional<JournalRow>> journal_rows(Database& database, std::span<const std::int64_t> ids);
// Those of `ids`, in their order, whose fields hold `folded` (text folded as
// a search folds it). Each is read from its row of fields alone, never with
// its descriptions, and none is held: a search typed on passes the ids
// found before, so that it reads only those.
std::vector<std::int64_t> journal_matching(Database& database, std::span<const std::int64_t> ids,
                                           std::string_view folded);
std::optional<JournalEntry> journal_entry(Database& database, std::int64_t id);
[[nodiscard]] bool remove_from_journal(Database& database, std::span<const std::int64_t> ids);

}  // namespace tessivar::store
