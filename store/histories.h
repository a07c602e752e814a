#pragma once
// Quick fill's histories and its switch, in the database file: one row per
// history in the histories table, holding the list in its stored form, and
// the setting "remembering". Each change reads the list again inside its
// transaction, so another running copy's values stay.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/histories.h"
#include "store/store.h"

namespace tessivar::store {

class StoreHistories final : public Histories {
public:
    explicit StoreHistories(Store& store) : store_(store) {}
    // What the file has not taken yet, tried once more.
    ~StoreHistories();
    StoreHistories(const StoreHistories&) = delete;
    StoreHistories& operator=(const StoreHistories&) = delete;

    history::Values values(history::Meaning meaning) override;
    void record(history::Meaning meaning, std::u16string_view value) override;
    void forget(history::Meaning meaning, std::u16string_view value) override;
    // A change the file refuses (another copy's lock) is held, offered
    // meanwhile, and written with the next change, look or exit.
    // Reading it makes no file: a first start makes nothing.
    bool remembering() override;
    [[nodiscard]] bool set_remembering(bool on) override;

private:
    struct Change {
        history::Meaning meaning;
        std::u16string value;
        bool remembered;  // else forgotten
    };
    bool write_held();

    Store& store_;
    std::vector<Change> held_;
    std::optional<bool> unsaved_;  // as turned this run, while the file does not have it
};

inline constexpr char kRememberingSetting[] = "remembering";  // "1" or "0"

// What quick fill kept before the database file: the histories in the
// order of history::kMeanings, and the switch where it was set.
struct Imported {
    std::vector<history::Values> histories;
    std::optional<bool> remembering;
};
// Whether the file has taken the old values over (the setting "registry_imported").
bool taken_over(Database& database);
// `imported` and the mark in one transaction, once per file; a history the
// file already holds stays as it is. Whether it is done.
[[nodiscard]] bool take_over(Database& database, const Imported& imported);

// A history as stored, read back with suspicion: a list this program would
// not have written reads as none. Empty where there is none.
history::Values stored_history(Database& database, history::Meaning meaning);
// The whole list in its stored form; none kept is no row.
[[nodiscard]] bool store_history(Database& database, history::Meaning meaning, const history::Values& values);
// A setting's text; empty where there is none.
std::string setting(Database& database, std::string_view name);
[[nodiscard]] bool store_setting(Database& database, std::string_view name, std::string_view value);
// The switch as the file keeps it; off, every history and the kept form go with it.
[[nodiscard]] bool store_remembering(Database& database, bool on);

}  // namespace tessivar::store
