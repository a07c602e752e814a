#pragma once
// The journal of descriptions: every press of "Сформировать код", newest
// first, searched as you type; an entry opened fills its tab and both
// panes again. Modeless, owned by the main window; made the first time it
// is asked for, never at start-up. Opening reads only the entries' order;
// the list reads the rows it shows, and a search the entries' fields.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/kept.h"
#include "store/store.h"
#include "win32/window.h"

namespace tessivar {

class TFMain;

inline constexpr wchar_t kJournalClass[] = L"TFJournal";
inline constexpr wchar_t kJournalTitle[] = L"Журнал описаний";
inline constexpr SIZE kJournalDesignClient = {620, 400};
// The search box and five rows of the list.
inline constexpr SIZE kJournalLeastClient = {400, 160};

class TFJournal : public OpenedWindow {
public:
    // Reads the entries from `store`, none where it is null; an entry opened
    // goes back to `form`.
    TFJournal(TFMain& form, store::Store* store);

    // Reads the journal afresh and brings the window to the front.
    void show() override;

    HWND Label1{}, Edit1{}, NothingFound{}, ListView1{};

    // The entries the search leaves, newest first, as the list shows them.
    std::size_t shown_count() const { return shown_.size(); }
    std::wstring cell(std::size_t item, int column);

private:
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool create();
    void lay_out() override;
    void add_columns();
    void widen_description();
    void reload();
    void search();
    std::vector<std::size_t> found(const std::string& typed);
    std::vector<std::size_t> every_entry() const;
    const std::optional<store::JournalRow>& row(std::size_t item);
    bool cached(std::size_t from, std::size_t to) const;
    void cache_rows(std::size_t from, std::size_t to);
    LRESULT on_notify(const NMHDR& header);
    void open_selected();
    void remove_selected();
    std::vector<std::int64_t> selected_ids() const;

    // `body` on the database: false where there is none, or it could not be read.
    bool read_store(const std::function<void(store::Database&)>& body) const;

    TFMain& form_;
    store::Store* store_;
    std::vector<std::int64_t> ids_;                    // every entry, newest first
    // What each text searched since ids_ was read found: typing on searches
    // only among what the text before found, typing back finds it here.
    std::map<std::string, std::vector<std::size_t>> found_;
    std::vector<std::size_t> shown_;                   // indices into ids_
    std::size_t cached_from_ = 0;                      // the shown item cached_ starts at
    std::vector<std::optional<store::JournalRow>> cached_;
    std::wstring cell_;  // the text a list view cell was last given
};

}  // namespace tessivar
