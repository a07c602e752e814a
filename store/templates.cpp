#include "store/templates.h"

#include "store/histories.h"

namespace tessivar::store {
namespace {

std::string setting_name(Tab tab) { return "template_in_use." + std::to_string(static_cast<int>(tab)); }

std::int64_t number(Tab tab) { return static_cast<int>(tab); }

std::optional<TemplateText> find_in(Database& database, Tab tab, std::string_view name) {
    Statement read = database.prepare("SELECT short_text, full_text FROM templates WHERE tab = ? AND name = ?");
    read.bind(1, number(tab)).bind(2, name);
    if (!read.step() || !read.is_text(0) || !read.is_text(1)) return std::nullopt;
    return TemplateText{read.text(0), read.text(1)};
}

// The name the setting holds, whether or not its template is there; empty for none.
std::string in_use_name(Database& database, Tab tab) { return setting(database, setting_name(tab)); }

// No name, no setting: the built-in template.
bool put_in_use(Database& database, Tab tab, std::string_view name) {
    if (!name.empty()) return store_setting(database, setting_name(tab), name);
    return database.prepare("DELETE FROM settings WHERE name = ?").bind(1, setting_name(tab)).run();
}

bool is_in_use(Database& database, Tab tab, std::string_view name) {
    return !name.empty() && in_use_name(database, tab) == name;
}

// How many rows the connection's last statement changed; none where that cannot be read.
std::optional<std::int64_t> rows_changed(Database& database) {
    Statement read = database.prepare("SELECT changes()");
    if (!read.step()) return std::nullopt;
    return read.integer(0);
}

TemplateWrite done(bool written) { return written ? TemplateWrite::Done : TemplateWrite::Refused; }

}  // namespace

std::optional<std::string> template_name_problem(std::string_view name, const std::vector<std::string>& taken) {
    if (name.find_first_not_of(" \t") == std::string_view::npos) return "Название не может быть пустым.";
    if (name == kBuiltinTemplateName) return "Название «Стандартное» занято встроенным оформлением.";
    for (const std::string& other : taken) {
        if (other == name) return "Оформление «" + other + "» уже есть.";
    }
    return std::nullopt;
}

// Only names the program would have written are listed.
std::vector<std::string> TemplateStore::names(Tab tab) const {
    return file_.read_value([&](Database& database) {
        std::vector<std::string> names;
        Statement read = database.prepare("SELECT name FROM templates WHERE tab = ? ORDER BY name");
        read.bind(1, number(tab));
        while (read.step()) {
            if (read.is_text(0) && !template_name_problem(read.text(0), {})) names.push_back(read.text(0));
        }
        return names;
    });
}

std::optional<TemplateText> TemplateStore::find(Tab tab, std::string_view name) const {
    return file_.read_value([&](Database& database) { return find_in(database, tab, name); });
}

TemplateWrite TemplateStore::write(const std::function<TemplateWrite(Database&)>& body, bool at_once) {
    TemplateWrite outcome = TemplateWrite::Refused;  // where the file never ran `body`
    const auto run = [&](Database& database) {
        outcome = body(database);
        return outcome == TemplateWrite::Done;
    };
    const bool committed = at_once ? file_.write_now(run) : file_.write(run);
    if (committed) return TemplateWrite::Done;
    return outcome == TemplateWrite::Done ? TemplateWrite::Refused : outcome;  // the commit failed
}

// A name taken is refused before the table would refuse it.
TemplateWrite TemplateStore::add(Tab tab, std::string_view name, const TemplateText& text) {
    return write([&](Database& database) {
        if (find_in(database, tab, name)) return TemplateWrite::Taken;
        Statement write =
            database.prepare("INSERT INTO templates(tab, name, short_text, full_text) VALUES(?, ?, ?, ?)");
        return done(write.bind(1, number(tab)).bind(2, name).bind(3, text.short_text).bind(4, text.full_text).run());
    });
}

// The tab keeps writing with a renamed template: both change at once.
TemplateWrite TemplateStore::rename(Tab tab, std::string_view from, std::string_view to) {
    return write([&](Database& database) {
        if (find_in(database, tab, to)) return TemplateWrite::Taken;
        const bool was_in_use = is_in_use(database, tab, from);
        Statement write = database.prepare("UPDATE templates SET name = ? WHERE tab = ? AND name = ?");
        if (!write.bind(1, to).bind(2, number(tab)).bind(3, from).run()) return TemplateWrite::Refused;
        const std::optional<std::int64_t> renamed = rows_changed(database);
        if (!renamed) return TemplateWrite::Refused;
        if (*renamed == 0) return TemplateWrite::Gone;
        return done(!was_in_use || put_in_use(database, tab, to));
    });
}

TemplateWrite TemplateStore::save(Tab tab, std::string_view name, const TemplateText& text) {
    return write([&](Database& database) {
        Statement write = database.prepare(
            "INSERT INTO templates(tab, name, short_text, full_text) VALUES(?, ?, ?, ?) ON CONFLICT(tab, name) "
            "DO UPDATE SET short_text = excluded.short_text, full_text = excluded.full_text");
        return done(write.bind(1, number(tab)).bind(2, name).bind(3, text.short_text).bind(4, text.full_text).run() &&
                    rows_changed(database) == 1);
    }, false);
}

// A tab that wrote with it goes back to the built-in template, so that a
// later template of the same name is not taken into use unasked.
TemplateWrite TemplateStore::remove(Tab tab, std::string_view name) {
    return write([&](Database& database) {
        const bool was_in_use = is_in_use(database, tab, name);
        Statement write = database.prepare("DELETE FROM templates WHERE tab = ? AND name = ?");
        return done(write.bind(1, number(tab)).bind(2, name).run() && (!was_in_use || put_in_use(database, tab, "")));
    });
}

std::string TemplateStore::in_use(Tab tab) const {
    return file_.read_value([&](Database& database) {
        std::string setting = in_use_name(database, tab);
        return find_in(database, tab, setting) ? setting : std::string();
    });
}

TemplateWrite TemplateStore::use(Tab tab, std::string_view name) {
    return write([&](Database& database) {
        if (!name.empty() && !find_in(database, tab, name)) return TemplateWrite::Gone;
        return done(put_in_use(database, tab, name));
    });
}

std::optional<TemplateText> TemplateStore::in_use_text(Tab tab) const {
    return file_.read_value([&](Database& database) { return find_in(database, tab, in_use_name(database, tab)); });
}

}  // namespace tessivar::store
