#include "journal/journal_window.h"

#include <commctrl.h>

#include <algorithm>
#include <ctime>

#include "form/main_window.h"
#include "win32/centred.h"
#include "win32/window_kit.h"
#include "output/win32_text.h"
#include "snapshot/journal_fields.h"
#include "tabs/fields.h"

namespace tessivar {
namespace {

constexpr DWORD kJournalStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr std::size_t kCachedRows = 32;  // about a screenful: each row read is a page of the file

struct Column {
    const wchar_t* caption;
    int width;  // at 96 dpi
};
// A sound has no author or version: its name and its length stand there.
constexpr Column kColumns[] = {
    {L"Когда", 110}, {L"Вкладка", 125}, {L"Автор / название", 115}, {L"Версия / длительность", 140}, {L"Описание", 110},
};

std::wstring when(std::int64_t at) {
    const std::time_t seconds = static_cast<std::time_t>(at);
    std::tm local{};
    localtime_s(&local, &seconds);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(local.tm_year + 1900);
    time.wMonth = static_cast<WORD>(local.tm_mon + 1);
    time.wDay = static_cast<WORD>(local.tm_mday);
    time.wHour = static_cast<WORD>(local.tm_hour);
    time.wMinute = static_cast<WORD>(local.tm_min);
    wchar_t date[64] = {}, clock[32] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 32);
    return std::wstring(date) + L" " + clock;
}

// The entry's field of `usual` meaning, or of `for_sounds` on the sounds tab.
std::optional<std::size_t> shown_field(Tab tab, history::Meaning usual, history::Meaning for_sounds) {
    const auto at = field_with_history(tab, tab == Tab::Sounds ? for_sounds : usual);
    if (!at) return std::nullopt;
    return snapshot::tab_fields(tab)[*at];
}

std::wstring field_text(const store::JournalRow& row, std::optional<std::size_t> field) {
    if (!field || !row.fields.values[*field]) return {};
    return widen(snapshot::first_line(*row.fields.values[*field]));
}

constexpr std::size_t kRememberedSearches = 64;

// The search box along the top, the list below it filling the rest.
constexpr WindowRow<TFJournal> kRows[] = {
    {&TFJournal::Label1, WC_STATICW, 0, 0, {8, 11, 40, 18}, L"Найти:"},
    {&TFJournal::Edit1, WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {48, 8, 564, 21}, L"",
     kLeft | kTop | kRight},
    // Over the list's first row, above it in the stacking order: shown for a search that finds nothing.
    {&TFJournal::NothingFound, WC_STATICW, 0, 0, {14, 62, 300, 16}, L"Ничего не найдено"},
    {&TFJournal::ListView1, WC_LISTVIEWW,
     WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
     {8, 37, 604, 355}, L"", kAllEdges},
};

}  // namespace

TFJournal::TFJournal(TFMain& form, store::Store* store)
    : OpenedWindow({kJournalClass, kJournalTitle, kJournalStyle, WS_EX_CONTROLPARENT, kJournalDesignClient, false, true,
                    kJournalLeastClient}),
      form_(form),
      store_(store) {}

bool TFJournal::read_store(const std::function<void(store::Database&)>& body) const {
    return store_ && store_->read([&](store::Database& database) {
        body(database);
        return true;
    });
}

void TFJournal::show() {
    if (!window_ && !create()) return;
    reload();
    if (!IsWindowVisible(window_)) {
        tell_owner_showing();
        ShowWindow(window_, SW_SHOWNORMAL);
    }
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
    SetFocus(Edit1);
}

bool TFJournal::create() {
    // The list view's class is made ready here, not at start-up.
    const INITCOMMONCONTROLSEX list_view = {sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&list_view);
    if (!Window::create(form_.handle(), {CW_USEDEFAULT, CW_USEDEFAULT}, window_dpi(form_.handle()))) return false;
    make_controls<TFJournal>(*this, kRows);
    take_place();
    // Painted straight, not double-buffered: under Wine the buffered list
    // took some 40 ms more at each paint, half the opening's budget.
    ListView_SetExtendedListViewStyle(ListView1, LVS_EX_FULLROWSELECT);
    add_columns();
    return true;
}

void TFJournal::add_columns() {
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
        column.cx = scale_.x(kColumns[i].width);
        ListView_InsertColumn(ListView1, i, &column);
    }
}

// The columns too are at the density.
void TFJournal::lay_out() {
    lay_out_controls<TFJournal>(*this, kRows);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        ListView_SetColumnWidth(ListView1, i, scale_.x(kColumns[i].width));
    }
    widen_description();
}

// «Описание» takes what the list has left beside the other columns, so that
// it widens with the window.
void TFJournal::widen_description() {
    constexpr int last = static_cast<int>(std::size(kColumns)) - 1;
    RECT list{};
    GetClientRect(ListView1, &list);
    int others = 0;
    for (int i = 0; i < last; ++i) others += ListView_GetColumnWidth(ListView1, i);
    ListView_SetColumnWidth(ListView1, last, std::max<int>(scale_.x(kColumns[last].width), list.right - others));
}

void TFJournal::reload() {
    ids_.clear();
    found_.clear();
    read_store([&](store::Database& database) { ids_ = store::journal_order(database); });
    search();
}

// Every field and memo of each entry, folded as the typed text is; with
// nothing typed, every entry.
void TFJournal::search() {
    const std::string typed = snapshot::fold(read_text(Edit1));
    shown_ = typed.empty() ? every_entry() : found(typed);
    cached_.clear();
    ListView_SetItemCountEx(ListView1, static_cast<int>(shown_.size()), 0);
    ShowWindow(NothingFound, shown_.empty() && !typed.empty() ? SW_SHOWNA : SW_HIDE);
    widen_description();
    if (!shown_.empty()) ListView_SetItemState(ListView1, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    InvalidateRect(ListView1, nullptr, TRUE);
}

std::vector<std::size_t> TFJournal::every_entry() const {
    std::vector<std::size_t> items(ids_.size());
    for (std::size_t i = 0; i < items.size(); ++i) items[i] = i;
    return items;
}

// An entry holding `typed` holds every text within it: the fewest entries
// found for one of those are all that need reading.
std::vector<std::size_t> TFJournal::found(const std::string& typed) {
    if (const auto known = found_.find(typed); known != found_.end()) return known->second;
    std::vector<std::size_t> among = every_entry();
    for (const auto& [text, items] : found_) {
        if (items.size() < among.size() && typed.find(text) != std::string::npos) among = items;
    }
    std::vector<std::int64_t> ids, matching;
    for (std::size_t item : among) ids.push_back(ids_[item]);
    const bool read = read_store([&](store::Database& database) {
        matching = store::journal_matching(database, ids, typed);
    });
    std::vector<std::size_t> items;  // `matching` keeps the order of `ids`
    for (std::size_t i = 0, next = 0; i < among.size() && next < matching.size(); ++i) {
        if (ids[i] == matching[next]) {
            items.push_back(among[i]);
            ++next;
        }
    }
    if (!read) return items;  // not remembered: the next keystroke reads again
    if (found_.size() == kRememberedSearches) found_.clear();
    return found_[typed] = items;
}

void TFJournal::cache_rows(std::size_t from, std::size_t to) {
    to = std::min(to, shown_.size());
    std::vector<std::int64_t> ids;
    for (std::size_t item = from; item < to; ++item) ids.push_back(ids_[shown_[item]]);
    cached_from_ = from;
    cached_.assign(ids.size(), std::nullopt);
    read_store([&](store::Database& database) { cached_ = store::journal_rows(database, ids); });
}

bool TFJournal::cached(std::size_t from, std::size_t to) const {
    return from >= cached_from_ && std::min(to, shown_.size()) <= cached_from_ + cached_.size();
}

const std::optional<store::JournalRow>& TFJournal::row(std::size_t item) {
    if (!cached(item, item + 1)) cache_rows(item, item + kCachedRows);
    return cached_[item - cached_from_];
}

std::wstring TFJournal::cell(std::size_t item, int column) {
    const auto& entry = row(item);
    if (!entry) return {};  // gone, or fields this program would not have written
    switch (column) {
        case 0: return when(entry->at);
        case 1:
            return std::wstring(page_caption(entry->tab)) + (entry->pressed ? L"" : L", не сформировано");
        case 2: return field_text(*entry, shown_field(entry->tab, history::Meaning::Author, history::Meaning::SoundTitle));
        case 3: return field_text(*entry, shown_field(entry->tab, history::Meaning::Version, history::Meaning::Duration));
        default: return field_text(*entry, snapshot::first_memo_field(entry->tab));
    }
}

std::vector<std::int64_t> TFJournal::selected_ids() const {
    std::vector<std::int64_t> ids;
    for (int item = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(ListView1, item, LVNI_SELECTED)) {
        ids.push_back(ids_[shown_[static_cast<std::size_t>(item)]]);
    }
    return ids;
}

// The selected entry, else the focused one: Enter in the search box opens the first found.
void TFJournal::open_selected() {
    int item = ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
    if (item < 0) item = ListView_GetNextItem(ListView1, -1, LVNI_FOCUSED);
    if (item < 0) return;
    std::optional<store::JournalEntry> entry;
    const bool read = read_store([&](store::Database& database) {
        entry = store::journal_entry(database, ids_[shown_[static_cast<std::size_t>(item)]]);
    });
    if (!read || !entry || !form_.keeping().open(*entry, window_)) return;
    reload();  // the form it replaced may have become an entry
}

void TFJournal::remove_selected() {
    const auto ids = selected_ids();
    if (ids.empty() || !store_) return;
    const std::wstring question = ids.size() == 1 ? L"Удалить выбранную запись журнала?"
                                                  : L"Удалить выбранные записи журнала (" +
                                                        std::to_wstring(ids.size()) + L")?";
    if (ask(window_, question, kJournalTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
    if (!form_.keeping().remove_from_journal(ids)) return;  // they stay, and the status bar says why
    ListView_SetItemState(ListView1, -1, 0, LVIS_SELECTED);
    reload();
}

LRESULT TFJournal::on_notify(const NMHDR& header) {
    if (header.hwndFrom != ListView1) return 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
            if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= shown_.size()) {
                return 0;
            }
            cell_ = cell(static_cast<std::size_t>(item.iItem), item.iSubItem);
            item.pszText = cell_.data();
            return 0;
        }
        case LVN_ODCACHEHINT: {  // the rows about to be painted, read at once
            const auto& hint = reinterpret_cast<const NMLVCACHEHINT&>(header);
            const auto from = static_cast<std::size_t>(std::max(0, hint.iFrom));
            const auto to = static_cast<std::size_t>(std::max(hint.iFrom, hint.iTo)) + 1;
            if (!cached(from, to)) cache_rows(from, to);
            return 0;
        }
        case LVN_ITEMACTIVATE:
            open_selected();
            return 0;
        case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) remove_selected();
            return 0;
        default:
            return 0;
    }
}

LRESULT TFJournal::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            OpenedWindow::on_message(message, wparam, lparam);
            if (ListView1) widen_description();
            return 0;
        case WM_CTLCOLORSTATIC:  // the word lies on the list
            if (reinterpret_cast<HWND>(lparam) == NothingFound) {
                SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
                SetTextColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_GRAYTEXT));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        case WM_NOTIFY:
            return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lparam) == Edit1 && HIWORD(wparam) == EN_CHANGE) search();
            if (LOWORD(wparam) == IDOK) open_selected();
            if (LOWORD(wparam) == IDCANCEL) ShowWindow(window_, SW_HIDE);
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:  // high contrast on or off: the list takes the system's colours again
            if (ListView1) SendMessageW(ListView1, message, wparam, lparam);
            RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        default:
            break;
    }
    return OpenedWindow::on_message(message, wparam, lparam);
}

}  // namespace tessivar
