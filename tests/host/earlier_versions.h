#pragma once
// A file of this version put back as the version before left it, rows and
// all: what a first start of a new version finds.

namespace tessivar::testing {

inline constexpr const char* kBackToVersionTwo = R"(
    ALTER TABLE journal ADD COLUMN short_text TEXT NOT NULL DEFAULT '';
    ALTER TABLE journal ADD COLUMN full_text TEXT NOT NULL DEFAULT '';
    ALTER TABLE journal ADD COLUMN folded TEXT NOT NULL DEFAULT '';
    UPDATE journal SET short_text = (SELECT short_text FROM journal_texts WHERE journal_texts.id = journal.id),
                       full_text = (SELECT full_text FROM journal_texts WHERE journal_texts.id = journal.id),
                       folded = ifnull((SELECT folded FROM journal_folded WHERE journal_folded.id = journal.id), '');
    DROP TABLE journal_texts;
    DROP TABLE journal_folded;
    DROP INDEX journal_newest;
    CREATE INDEX journal_newest ON journal(tab, at DESC, id DESC, fields);
    CREATE INDEX journal_search ON journal(at DESC, id DESC, folded);
    PRAGMA user_version = 2;)";

}  // namespace tessivar::testing
