#include "store/kept.h"

#include <unordered_map>

#include "snapshot/journal_fields.h"

namespace tessivar::store {
namespace {

using snapshot::form_fields;

std::optional<Tab> tab_of(std::int64_t number) {
    if (number < 0 || number > static_cast<std::int64_t>(Tab::Textures)) return std::nullopt;
    return static_cast<Tab>(number);
}

// Columns id, tab, at, pressed, fields.
std::optional<JournalRow> row_of(Statement& read) {
    const auto tab = tab_of(read.integer(1));
    if (!tab || !read.is_text(4)) return std::nullopt;
    auto fields = snapshot::read_fields(*tab, read.text(4));
    if (!fields) return std::nullopt;
    return JournalRow{read.integer(0), *tab, read.integer(2), read.integer(3) != 0, std::move(*fields)};
}

struct Newest {
    std::int64_t id;
    std::string fields;
    bool pressed;
    bool same_texts;  // its descriptions are the entry's
};

// The tab's newest entry, its texts compared in SQL: they may be megabytes.
std::optional<Newest> newest(Database& database, const NewEntry& entry) {
    Statement read = database.prepare(
        "SELECT journal.id, fields, pressed, short_text IS ? AND full_text IS ? FROM journal "
        "LEFT JOIN journal_texts USING(id) WHERE tab = ? ORDER BY at DESC, journal.id DESC LIMIT 1");
    read.bind(1, entry.short_text).bind(2, entry.full_text).bind(3, static_cast<std::int64_t>(entry.tab));
    if (!read.step()) return std::nullopt;
    return Newest{read.integer(0), read.text(1), read.integer(2) != 0, read.integer(3) != 0};
}

// Only what a press wrote is written over, by a press on the same fields.
bool moves_only(const Newest& last, const NewEntry& entry, const std::string& fields) {
    return last.fields == fields && (last.same_texts || (entry.pressed && last.pressed));
}

// What a search compares, kept where it is short: a longer one costs more
// to keep than to fold from the fields at the few searches that reach it.
constexpr std::size_t kFoldedMost = 64 * 1024;

bool put_folded(Database& database, std::int64_t id, const NewEntry& entry) {
    const std::string folded = snapshot::searchable_text(entry.tab, entry.form);
    if (folded.size() > kFoldedMost) return true;
    Statement put = database.prepare("INSERT OR REPLACE INTO journal_folded(id, folded) VALUES(?, ?)");
    return put.bind(1, id).bind(2, folded).run();
}

bool put_texts(Database& database, std::int64_t id, const NewEntry& entry) {
    Statement put = database.prepare("INSERT OR REPLACE INTO journal_texts(id, short_text, full_text) VALUES(?, ?, ?)");
    return put.bind(1, id).bind(2, entry.short_text).bind(3, entry.full_text).run();
}

// Whether the stored fields of `tab` hold `folded` where a search looks.
bool holds(std::int64_t tab, const std::string& stored, std::string_view folded) {
    const auto known = tab_of(tab);
    const auto fields = known ? snapshot::read_fields(*known, stored) : std::nullopt;
    return fields && snapshot::searchable_text(*known, *fields).find(folded) != std::string::npos;
}

}  // namespace

snapshot::Snapshot read_kept_form(Database& database) {
    snapshot::Snapshot form;
    Statement read = database.prepare("SELECT name, value FROM kept_form");
    while (read.step()) {
        if (!read.is_text(0) || !read.is_text(1)) continue;
        const auto index = snapshot::field_index(read.text(0));
        if (index) form.values[*index] = snapshot::checked_value(form_fields()[*index].kind, read.text(1));
    }
    return form;
}

bool keep_form(Database& database, const snapshot::Snapshot& form, std::span<const std::size_t> fields) {
    Statement write = database.prepare("INSERT OR REPLACE INTO kept_form(name, value) VALUES(?, ?)");
    for (std::size_t index : fields) {
        if (!form.values[index]) continue;
        write.bind(1, form_fields()[index].name).bind(2, *form.values[index]);
        if (!write.run()) return false;
        write.reset();
    }
    return true;
}

bool forget_kept_form(Database& database) { return database.exec("DELETE FROM kept_form"); }

bool add_to_journal(Database& database, const NewEntry& entry) {
    const std::string fields = snapshot::stored_fields(entry.tab, entry.form);
    const auto last = newest(database, entry);
    if (last && moves_only(*last, entry, fields)) {
        Statement touch = database.prepare(entry.pressed ? "UPDATE journal SET at = ?, pressed = 1 WHERE id = ?"
                                                         : "UPDATE journal SET at = ? WHERE id = ?");
        if (!touch.bind(1, entry.at).bind(2, last->id).run()) return false;
        return last->same_texts || put_texts(database, last->id, entry);
    }
    Statement add = database.prepare("INSERT INTO journal(tab, at, pressed, fields) VALUES(?, ?, ?, ?)");
    const bool added = add.bind(1, static_cast<std::int64_t>(entry.tab))
                           .bind(2, entry.at)
                           .bind(3, std::int64_t{entry.pressed})
                           .bind(4, fields)
                           .run();
    const std::int64_t id = database.last_row_id();
    return added && put_texts(database, id, entry) && put_folded(database, id, entry);
}

bool in_journal(Database& database, const NewEntry& entry) {
    Statement read = database.prepare(
        "SELECT 1 FROM journal JOIN journal_texts USING(id) "
        "WHERE tab = ? AND fields = ? AND short_text = ? AND full_text = ? LIMIT 1");
    return read.bind(1, static_cast<std::int64_t>(entry.tab))
        .bind(2, snapshot::stored_fields(entry.tab, entry.form))
        .bind(3, entry.short_text)
        .bind(4, entry.full_text)
        .step();
}

std::vector<std::int64_t> journal_order(Database& database) {
    std::vector<std::int64_t> ids;
    Statement read = database.prepare("SELECT id FROM journal ORDER BY at DESC, id DESC");
    while (read.step()) ids.push_back(read.integer(0));
    return ids;
}

std::vector<std::optional<JournalRow>> journal_rows(Database& database, std::span<const std::int64_t> ids) {
    std::vector<std::optional<JournalRow>> rows;
    rows.reserve(ids.size());
    Statement read = database.prepare("SELECT id, tab, at, pressed, fields FROM journal WHERE id = ?");
    for (std::int64_t id : ids) {
        rows.push_back(read.bind(1, id).step() ? row_of(read) : std::nullopt);
        read.reset();
    }
    return rows;
}

// The folded texts in one statement, and so one read of the file's log:
// under Wine each statement of its own costs a lock on it, a tenth of a
// millisecond. An entry with none is folded from its fields.
std::vector<std::int64_t> journal_matching(Database& database, std::span<const std::int64_t> ids,
                                           std::string_view folded) {
    std::unordered_map<std::int64_t, std::optional<bool>> holding;  // none: no folded text kept
    for (std::int64_t id : ids) holding.emplace(id, std::nullopt);
    Statement kept = database.prepare("SELECT id, folded FROM journal_folded");
    while (kept.step()) {
        const auto known = holding.find(kept.integer(0));
        if (known != holding.end() && kept.is_text(1)) known->second = kept.text(1).find(folded) != std::string::npos;
    }
    std::vector<std::int64_t> found;
    Statement stored = database.prepare("SELECT tab, fields FROM journal WHERE id = ?");
    for (std::int64_t id : ids) {
        const std::optional<bool> holds_it = holding[id];
        if (holds_it ? *holds_it
                     : stored.bind(1, id).step() && stored.is_text(1) &&
                           holds(stored.integer(0), stored.text(1), folded)) {
            found.push_back(id);
        }
        stored.reset();
    }
    return found;
}

std::optional<JournalEntry> journal_entry(Database& database, std::int64_t id) {
    // An entry whose descriptions a salvage could not bring back opens with empty panes.
    Statement read = database.prepare(
        "SELECT id, tab, at, pressed, fields, ifnull(short_text, ''), ifnull(full_text, '') FROM journal "
        "LEFT JOIN journal_texts USING(id) WHERE id = ?");
    if (!read.bind(1, id).step()) return std::nullopt;
    auto row = row_of(read);
    if (!row || !snapshot::is_control_text(read.text(5)) || !snapshot::is_control_text(read.text(6))) {
        return std::nullopt;
    }
    return JournalEntry{std::move(*row), read.text(5), read.text(6)};
}

bool remove_from_journal(Database& database, std::span<const std::int64_t> ids) {
    for (const std::string_view table : {"journal", "journal_texts", "journal_folded"}) {
        Statement remove = database.prepare("DELETE FROM " + std::string(table) + " WHERE id = ?1");
        for (std::int64_t id : ids) {
            if (!remove.bind(1, id).run()) return false;
            remove.reset();
        }
    }
    return true;
}

}  // namespace tessivar::store
