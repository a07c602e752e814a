#include "store/histories.h"

#include <iterator>
#include <string>

#include "store/kept.h"

namespace tessivar::store {
namespace {

using history::Meaning;

std::string name_of(Meaning meaning) {
    const std::u16string_view wide = history::stored_name(meaning);
    return std::string(wide.begin(), wide.end());  // ASCII names
}

constexpr char kTakenOverSetting[] = "registry_imported";

// `value` remembered in `values`, or forgotten: whether they changed.
bool apply(history::Values& values, std::u16string_view value, bool remembered) {
    if (!remembered) return history::forget(values, value);
    history::remember(values, value);
    return true;
}

}  // namespace

history::Values stored_history(Database& database, Meaning meaning) {
    Statement read = database.prepare("SELECT list FROM histories WHERE meaning = ?");
    read.bind(1, name_of(meaning));
    if (!read.step()) return {};
    const std::vector<std::byte> stored = read.blob(0);
    if (stored.size() > history::kMaxStoredBytes) return {};
    return history::read_stored(stored);
}

bool store_history(Database& database, Meaning meaning, const history::Values& values) {
    if (values.empty()) {
        return database.prepare("DELETE FROM histories WHERE meaning = ?").bind(1, name_of(meaning)).run();
    }
    return database.prepare("INSERT OR REPLACE INTO histories(meaning, list) VALUES(?, ?)")
        .bind(1, name_of(meaning))
        .bind_blob(2, history::stored_form(values))
        .run();
}

std::string setting(Database& database, std::string_view name) {
    Statement read = database.prepare("SELECT value FROM settings WHERE name = ?");
    read.bind(1, name);
    return read.step() && read.is_text(0) ? read.text(0) : std::string();
}

bool store_setting(Database& database, std::string_view name, std::string_view value) {
    return database.prepare("INSERT OR REPLACE INTO settings(name, value) VALUES(?, ?)")
        .bind(1, name)
        .bind(2, value)
        .run();
}

bool store_remembering(Database& database, bool on) {
    if (!store_setting(database, kRememberingSetting, on ? "1" : "0")) return false;
    return on || (database.exec("DELETE FROM histories") && forget_kept_form(database));
}

bool taken_over(Database& database) { return setting(database, kTakenOverSetting) == "1"; }

bool take_over(Database& database, const Imported& imported) {
    return database.transaction([&] {
        if (taken_over(database)) return true;  // another copy was first
        for (std::size_t i = 0; i < imported.histories.size() && i < std::size(history::kMeanings); ++i) {
            const Meaning meaning = history::kMeanings[i];
            if (!stored_history(database, meaning).empty()) continue;
            if (!store_history(database, meaning, imported.histories[i])) return false;
        }
        if (imported.remembering && !store_setting(database, kRememberingSetting, *imported.remembering ? "1" : "0")) {
            return false;
        }
        return store_setting(database, kTakenOverSetting, "1");
    });
}

StoreHistories::~StoreHistories() {
    store_.attempt_now();
    write_held();
}

// The file is made at the first look, so that the registry's values are
// taken over before anything is offered.
history::Values StoreHistories::values(Meaning meaning) {
    store_.make();
    write_held();
    // Where the file offers nothing, what is held is offered still.
    history::Values values = store_.read_value([&](Database& database) { return stored_history(database, meaning); });
    for (const Change& change : held_) {
        if (change.meaning == meaning) apply(values, change.value, change.remembered);
    }
    return values;
}

void StoreHistories::record(Meaning meaning, std::u16string_view value) {
    if (!remembering()) return;
    held_.push_back({meaning, std::u16string(value), true});
    write_held();
}

void StoreHistories::forget(Meaning meaning, std::u16string_view value) {
    held_.push_back({meaning, std::u16string(value), false});
    write_held();
}

// Each list read again inside the transaction, so that another copy's
// values stay.
bool StoreHistories::write_held() {
    if (held_.empty()) return true;
    const bool written = store_.write([&](Database& database) {
        for (const Change& change : held_) {
            history::Values values = stored_history(database, change.meaning);
            if (apply(values, change.value, change.remembered) &&
                !store_history(database, change.meaning, values)) {
                return false;
            }
        }
        return true;
    });
    if (written) held_.clear();
    return written;
}

// On unless the user turned it off: any other stored text counts as none,
// and so does a file that offers nothing.
bool StoreHistories::remembering() {
    if (unsaved_) return *unsaved_;
    return store_.read_value([&](Database& database) { return setting(database, kRememberingSetting); }) != "0";
}

bool StoreHistories::set_remembering(bool on) {
    unsaved_ = on;
    if (!on) held_.clear();  // forgotten with the rest
    if (!store_.write_now([&](Database& database) { return store_remembering(database, on); })) return false;
    unsaved_.reset();
    return true;
}

}  // namespace tessivar::store
