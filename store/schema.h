#pragma once
// The database's tables, versioned with PRAGMA user_version and brought
// forward one version at a time. The tables, in version 1:
//   settings(name, value)      a setting's text by its name ("remembering", a tab's template, ...)
//   histories(meaning, list)   quick fill's history of one meaning, in its stored form
//   kept_form(name, value)     the form as it was left, one row per field
//   journal(...)               the descriptions made, newest first per tab through journal_newest
//   templates(...)             the user's description templates, by tab and name
// Version 2 reads the journal window's list through journal_order and its
// search through journal_search, in place of version 1's journal_list.
// Version 3 keeps an entry's descriptions in journal_texts(id, short_text,
// full_text), its row holding only its fields, and searches those.
#include "store/database.h"

namespace tessivar::store {

// The version this program writes.
inline constexpr int kSchemaVersion = 3;

// Every table the steps make, each a thing of its own: what a spoilt file's
// salvage copies, table by table.
inline constexpr const char* kTables[] = {"settings",      "histories",      "kept_form", "journal",
                                          "journal_texts", "journal_folded", "templates"};

enum class Migration {
    Current,  // at kSchemaVersion, writable
    Newer,    // from a later program: read it only, never write
    Failed,   // unreadable or unwritable: the connection's last result says why
};

// Brings the file forward to kSchemaVersion, each version one transaction
// with its own user_version, so an interrupted migration resumes where it
// stopped and two copies starting at once migrate once. An empty file
// starts at version 0.
Migration migrate(Database& database);

}  // namespace tessivar::store
