#include "store/templates.h"

#include <sqlite3.h>

#include <memory>

namespace tessivar {
namespace {

struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (!db || sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) return nullptr;
    return Statement(statement);
}

void bind(sqlite3_stmt* statement, int index, std::string_view text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Only text the program wrote counts; anything else reads as absent.
std::optional<std::string> text_column(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_TEXT) return std::nullopt;
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::string setting_name(Tab tab) { return "template_in_use." + std::to_string(static_cast<int>(tab)); }

// Runs a statement that changes rows; true where it ran and changed at least `least`.
bool changes(sqlite3* db, sqlite3_stmt* statement, int least = 1) {
    return statement && sqlite3_step(statement) == SQLITE_DONE && sqlite3_changes(db) >= least;
}

// Several statements as one: all or none. Savepoints nest, where BEGIN cannot.
template <class Steps>
bool all_or_none(sqlite3* db, Steps steps) {
    if (sqlite3_exec(db, "SAVEPOINT template_change", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    const bool done = steps();
    if (!done) sqlite3_exec(db, "ROLLBACK TO template_change", nullptr, nullptr, nullptr);
    return sqlite3_exec(db, "RELEASE template_change", nullptr, nullptr, nullptr) == SQLITE_OK && done;
}

std::optional<std::string> setting(sqlite3* db, Tab tab) {
    Statement statement = prepare(db, "SELECT value FROM settings WHERE name = ?1");
    if (!statement) return std::nullopt;
    bind(statement.get(), 1, setting_name(tab));
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return std::nullopt;
    return text_column(statement.get(), 0);
}

}  // namespace

std::optional<std::string> template_name_problem(std::string_view name, const std::vector<std::string>& taken) {
    if (name.find_first_not_of(" \t") == std::string_view::npos) return "Название не может быть пустым.";
    if (name == kBuiltinTemplateName) return "Название «Стандартное» занято встроенным оформлением.";
    for (const std::string& other : taken) {
        if (other == name) return "Оформление «" + other + "» уже есть.";
    }
    return std::nullopt;
}

std::vector<std::string> TemplateStore::names(Tab tab) const {
    std::vector<std::string> result;
    Statement statement = prepare(db_, "SELECT name FROM templates WHERE tab = ?1 ORDER BY name");
    if (!statement) return result;
    sqlite3_bind_int(statement.get(), 1, static_cast<int>(tab));
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        std::optional<std::string> name = text_column(statement.get(), 0);
        if (name && !template_name_problem(*name, {})) result.push_back(std::move(*name));
    }
    return result;
}

std::optional<TemplateText> TemplateStore::find(Tab tab, std::string_view name) const {
    Statement statement = prepare(db_, "SELECT short_text, full_text FROM templates WHERE tab = ?1 AND name = ?2");
    if (!statement) return std::nullopt;
    sqlite3_bind_int(statement.get(), 1, static_cast<int>(tab));
    bind(statement.get(), 2, name);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return std::nullopt;
    std::optional<std::string> short_text = text_column(statement.get(), 0);
    std::optional<std::string> full_text = text_column(statement.get(), 1);
    if (!short_text || !full_text) return std::nullopt;
    return TemplateText{std::move(*short_text), std::move(*full_text)};
}

bool TemplateStore::add(Tab tab, std::string_view name, const TemplateText& text) {
    Statement statement =
        prepare(db_, "INSERT INTO templates(tab, name, short_text, full_text) VALUES (?1, ?2, ?3, ?4)");
    if (!statement) return false;
    sqlite3_bind_int(statement.get(), 1, static_cast<int>(tab));
    bind(statement.get(), 2, name);
    bind(statement.get(), 3, text.short_text);
    bind(statement.get(), 4, text.full_text);
    return changes(db_, statement.get());
}

// The tab keeps writing with a renamed template: both change at once.
bool TemplateStore::rename(Tab tab, std::string_view from, std::string_view to) {
    const bool was_in_use = in_use(tab) == from;
    return all_or_none(db_, [&] {
        Statement statement = prepare(db_, "UPDATE templates SET name = ?3 WHERE tab = ?1 AND name = ?2");
        if (!statement) return false;
        sqlite3_bind_int(statement.get(), 1, static_cast<int>(tab));
        bind(statement.get(), 2, from);
        bind(statement.get(), 3, to);
        return changes(db_, statement.get()) && (!was_in_use || use(tab, to));
    });
}

bool TemplateStore::save(Tab tab, std::string_view name, const TemplateText& text) {
    Statement statement =
        prepare(db_, "UPDATE templates SET short_text = ?3, full_text = ?4 WHERE tab = ?1 AND name = ?2");
    if (!statement) return false;
    sqlite3_bind_int(statement.get(), 1, static_cast<int>(tab));
    bind(statement.get(), 2, name);
    bind(statement.get(), 3, text.short_text);
    bind(statement.get(), 4, text.full_text);
    return changes(db_, statement.get());
}

bool TemplateStore::remove(Tab tab, std::string_view name) {
    Statement statement = prepare(db_, "DELETE FROM templates WHERE tab = ?1 AND name = ?2");
    if (!statement) return false;
    sqlite3_bind_int(statement.get(), 1, static_cast<int>(tab));
    bind(statement.get(), 2, name);
    return changes(db_, statement.get(), 0);
}

std::string TemplateStore::in_use(Tab tab) const {
    std::optional<std::string> name = setting(db_, tab);
    return name && find(tab, *name) ? *name : std::string();
}

// The setting's row is replaced whole, whatever keys the table has.
bool TemplateStore::use(Tab tab, std::string_view name) {
    return all_or_none(db_, [&] {
        Statement drop = prepare(db_, "DELETE FROM settings WHERE name = ?1");
        if (!drop) return false;
        bind(drop.get(), 1, setting_name(tab));
        if (!changes(db_, drop.get(), 0)) return false;
        if (name.empty()) return true;
        Statement insert = prepare(db_, "INSERT INTO settings(name, value) VALUES (?1, ?2)");
        if (!insert) return false;
        bind(insert.get(), 1, setting_name(tab));
        bind(insert.get(), 2, name);
        return changes(db_, insert.get());
    });
}

std::optional<TemplateText> TemplateStore::in_use_text(Tab tab) const {
    const std::optional<std::string> name = setting(db_, tab);
    return name ? find(tab, *name) : std::nullopt;
}

}  // namespace tessivar
