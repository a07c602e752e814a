// The form kept in the database and the journal, on the real windows: what
// was typed comes back in a new window, a moment after the last change and
// not before, nothing is written while nothing changes, a keystroke stays
// quick beside a megabyte, and three presses make three journal entries
// that the journal window finds and opens. A close keeps what the window
// holds however it was set; under another copy's lock nothing is lost and
// nothing forbidden is kept; a first start makes no file. Every field of
// every tab lives its whole life, from its label to «Очистить».
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/actions.h"
#include "form/main_window.h"
#include "journal/journal_window.h"
#include "preview/preview.h"
#include "store/histories.h"
#include "store/kept.h"
#include "store/schema.h"
#include "tabs/fields.h"
#include "tests/host/earlier_versions.h"
#include "tests/host/temporary_folder.h"
#include "tests/windows/form_fixture.h"
#include "tests/windows/timed_steps.h"

namespace tessivar::testing {
namespace {

using namespace std::chrono_literals;

// Typed as a user types: the control reports the change itself.
void type_into(HWND box, std::wstring_view text) {
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
}
void type_into_combo(HWND combo, wchar_t c) {
    HWND edit = FindWindowExW(combo, nullptr, WC_EDITW, nullptr);
    SendMessageW(edit, WM_CHAR, c, 0);
}
void pick_date(HWND picker, WORD year, WORD month, WORD day) {
    SYSTEMTIME time{};
    time.wYear = year, time.wMonth = month, time.wDay = day;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    NMDATETIMECHANGE change{{picker, static_cast<UINT_PTR>(GetDlgCtrlID(picker)), DTN_DATETIMECHANGE}, GDT_VALID, time};
    SendMessageW(GetParent(picker), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}
SYSTEMTIME date_of(HWND picker) {
    SYSTEMTIME time{};
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}
void pump_for(std::chrono::milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < end) {
        pump();
        Sleep(10);
    }
}
std::wstring status_note(const TFMain& form) { return status_panel_text(form.StatusBar1, 1); }
bool says(const TFMain& form, std::wstring_view words) { return status_note(form).find(words) != std::wstring::npos; }
// Set as automation tools and input helpers set it: a multi-line box tells nobody.
void set_from_outside(HWND box, const std::wstring& text) { SetWindowTextW(box, text.c_str()); }

// A main window as the program starts one on `file`, the form it kept shown.
std::unique_ptr<TFMain> started_on(store::Store& file, Histories& histories) {
    auto form = std::make_unique<TFMain>(nullptr, main_menu());
    form->set_histories(&histories);
    form->keeping().set_store(&file);
    const bool maximized = form->keeping().restore();
    ShowWindow(form->handle(), maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    pump();
    return form;
}

class KeptForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_common_controls(); }
    void SetUp() override {
        ASSERT_EQ(store::migrate(database), store::Migration::Current);
        kept_in.open_existing();
    }

    std::unique_ptr<TFMain> started() { return started_on(kept_in, histories); }
    std::string kept(const char* field) {
        return store::read_kept_form(database).values[snapshot::field_named(field)].value_or("<none>");
    }
    // Counts the commits of other connections, as a second running copy would see them.
    std::int64_t commits_seen() {
        store::Statement read = observer.prepare("PRAGMA data_version");
        return read.step() ? read.integer(0) : -1;
    }

    TemporaryFolder folder;
    store::Database database = store::Database::open(folder.file("Tessivar.db"), store::Database::Mode::ReadWrite);
    store::Database observer = store::Database::open(folder.file("Tessivar.db"), store::Database::Mode::ReadWrite);
    store::Store kept_in{folder.file("Tessivar.db")};
    store::StoreHistories histories{kept_in};
};

TEST_F(KeptForm, EveryKindOfFieldComesBackInANewWindow) {
    {
        auto form = started();
        TFPreview preview(form->handle(), form->Disc1, form->Disc2);
        form->set_preview(&preview);
        form->Action2Execute();
        form->keeping().save();  // the move alone is the change
        SetWindowPos(preview.handle(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(preview.handle(), SW_MAXIMIZE);
        type_into(form->control("Edit2"), L"Пётр 😀");
        type_into(form->control("Memo3"), L"строка 1\r\nстрока 2");
        type_into_combo(form->control("ComboBox3"), L'Ж');
        SendMessageW(form->control("ComboBox6"), CB_SETCURSEL, 2, 0);
        SendMessageW(form->TabSheet1, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->control("ComboBox6")), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(form->control("ComboBox6")));
        click(form->control("CheckBox2"));
        pick_date(form->control("DateTimePicker3"), 2019, 11, 30);
        type_into(form->control("Edit8"), L"Гром");
        click(form->Button9);  // both panes
        SendMessageW(form->PageControl1, TCM_SETCURFOCUS, 3, 0);
        SetWindowPos(form->handle(), nullptr, 40, 30, 700, 650, SWP_NOZORDER);
        SendMessageW(form->handle(), WM_CLOSE, 0, 0);
    }
    auto form = started();
    TFPreview preview(form->handle(), form->Disc1, form->Disc2);
    form->set_preview(&preview);
    form->Action2Execute();
    EXPECT_EQ(text_of(form->control("Edit2")), "Пётр 😀");
    EXPECT_EQ(text_of(form->control("Memo3")), "строка 1\r\nстрока 2");
    EXPECT_EQ(text_of(form->control("ComboBox3")), "Ж");
    EXPECT_EQ(SendMessageW(form->control("ComboBox6"), CB_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(is_checked(form->control("CheckBox2")));
    EXPECT_FALSE(IsWindowEnabled(form->control("DateTimePicker2")));
    EXPECT_EQ(date_of(form->control("DateTimePicker3")).wYear, 2019);
    EXPECT_EQ(date_of(form->control("DateTimePicker3")).wDay, 30);
    EXPECT_NE(text_of(form->Disc1).find("Гром"), std::string::npos);
    EXPECT_EQ(text_of(form->Disc2), kept("Disc2"));
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 3);
    EXPECT_TRUE(IsWindowVisible(form->TabSheet4));
    RECT r;
    GetWindowRect(form->handle(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_TRUE(IsZoomed(preview.handle()));
    ShowWindow(preview.handle(), SW_RESTORE);
    GetWindowRect(preview.handle(), &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
}

// A busy machine may hold the timer's message back, never bring it sooner:
// the save comes no earlier than the wait after the last change.
TEST_F(KeptForm, AMomentAfterTheLastChangeOnlyWhatChangedAndNothingWhileNothingChanges) {
    auto form = started();
    type_into(form->control("Edit4"), L"Анна");
    pump_for(std::chrono::milliseconds(kKeepDelayMs / 2));
    const auto retyped = std::chrono::steady_clock::now();
    type_into(form->control("Edit4"), L"Анна Б");  // the wait starts again
    for (const auto start = retyped; kept("Edit4") == "<none>" && std::chrono::steady_clock::now() - start < 60s;) {
        pump_for(10ms);
    }
    const auto waited = std::chrono::steady_clock::now() - retyped;
    EXPECT_GE(waited, std::chrono::milliseconds(kKeepDelayMs * 9 / 10));
    EXPECT_EQ(kept("Edit4"), "Анна Б");
    EXPECT_EQ(kept("Memo1"), "<none>");  // never changed, never written

    const auto before = commits_seen();
    pump_for(std::chrono::milliseconds(kKeepDelayMs * 2));
    EXPECT_EQ(commits_seen(), before);
    type_into(form->control("Edit4"), L"Анна Б");  // the same text again: nothing to write
    pump_for(std::chrono::milliseconds(kKeepDelayMs * 3 / 2));
    EXPECT_EQ(commits_seen(), before);
}

// Counts the times a box is asked for its whole text.
class TextReads {
public:
    explicit TextReads(HWND box) : box_(box) { SetWindowSubclass(box_, &TextReads::count, 1, reinterpret_cast<DWORD_PTR>(this)); }
    ~TextReads() { RemoveWindowSubclass(box_, &TextReads::count, 1); }
    TextReads(const TextReads&) = delete;
    TextReads& operator=(const TextReads&) = delete;
    int count() const { return count_; }

private:
    static LRESULT CALLBACK count(HWND box, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR self) {
        if (message == WM_GETTEXT) ++reinterpret_cast<TextReads*>(self)->count_;
        return DefSubclassProc(box, message, wparam, lparam);
    }
    HWND box_;
    int count_ = 0;
};

// A keystroke's time beside a megabyte, keeping on against off, is
// press_bench's to measure. Here, that keeping adds no work to it: the
// keystroke reads no text and writes nothing; the save a moment later
// reads the box once.
TEST_F(KeptForm, AKeystrokeBesideAMegabyteReadsNothingAndWritesNothing) {
    auto form = started();
    std::string megabyte;
    while (megabyte.size() < (1u << 20)) megabyte += std::string(78, 'x') + "\r\n";
    write_text(form->control("Memo1"), megabyte);
    form->keeping().save();
    SendMessageW(form->control("Memo1"), EM_SETSEL, 0, 0);
    const auto before = commits_seen();
    const TextReads reads(form->control("Memo1"));
    // No messages pumped: the keep timer waits, however slow the keystrokes.
    for (int i = 0; i < 30; ++i) SendMessageW(form->control("Memo1"), WM_CHAR, L'я', 0);
    EXPECT_EQ(reads.count(), 0);
    EXPECT_EQ(commits_seen(), before);
    form->keeping().save();
    EXPECT_EQ(reads.count(), 1);
    EXPECT_EQ(kept("Memo1").size(), megabyte.size() + 30 * 2);
}

TEST_F(KeptForm, ThreePressesMakeAJournalThatFindsAndOpensThem) {
    auto form = started();
    TFJournal journal(*form, &kept_in);
    form->set_journal(&journal);
    for (const wchar_t* author : {L"Анна", L"Борис", L"Вера"}) {
        type_into(form->control("Edit2"), author);
        type_into(form->control("Memo1"), std::wstring(L"Правила ") + author);
        click(form->Button1);
    }
    click(form->Button1);  // the same fields: only its time moves
    form->Action7Execute();
    ASSERT_EQ(journal.shown_count(), 3u);
    EXPECT_EQ(journal.cell(0, 1), L"Карты");
    EXPECT_EQ(journal.cell(0, 2), L"Вера");
    EXPECT_EQ(journal.cell(2, 4), L"Правила Анна");

    type_into(journal.Edit1, L"ПРАВИЛА Б");
    ASSERT_EQ(journal.shown_count(), 1u);
    EXPECT_EQ(journal.cell(0, 2), L"Борис");
    EXPECT_FALSE(IsWindowVisible(journal.NothingFound));
    type_into(journal.Edit1, L"ПРАВИЛА Я");
    EXPECT_EQ(journal.shown_count(), 0u);
    EXPECT_TRUE(IsWindowVisible(journal.NothingFound));
    type_into(journal.Edit1, L"ПРАВИЛА Б");

    // «Описание» widens with the window, the other columns as they were.
    const int description = ListView_GetColumnWidth(journal.ListView1, 4), author = ListView_GetColumnWidth(journal.ListView1, 2);
    RECT r;
    GetWindowRect(journal.handle(), &r);
    SetWindowPos(journal.handle(), nullptr, 0, 0, r.right - r.left + 150, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ListView_GetColumnWidth(journal.ListView1, 4), description + 150);
    EXPECT_EQ(ListView_GetColumnWidth(journal.ListView1, 2), author);

    type_into(form->control("Edit2"), L"никогда не нажато");
    ListView_SetItemState(journal.ListView1, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(journal.ListView1);
    MSG enter{journal.ListView1, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    dispatch_message(enter);
    pump();
    EXPECT_EQ(text_of(form->control("Edit2")), "Борис");
    EXPECT_EQ(text_of(form->control("Memo1")), "Правила Борис");
    EXPECT_NE(text_of(form->Disc2).find("Борис"), std::string::npos);
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 0);

    type_into(journal.Edit1, L"");
    ASSERT_EQ(journal.shown_count(), 4u);  // the replaced form kept
    EXPECT_EQ(journal.cell(0, 1), L"Карты, не сформировано");
    EXPECT_EQ(journal.cell(0, 2), L"никогда не нажато");

    SendMessageW(journal.handle(), WM_COMMAND, IDCANCEL, 0);  // Esc
    EXPECT_FALSE(IsWindowVisible(journal.handle()));
}

// A sound's row shows its name and its length where the other tabs' rows
// show the author and the version, under headers that say both.
TEST_F(KeptForm, ASoundsJournalRowShowsItsNameAndLength) {
    store::NewEntry sound{Tab::Sounds, 2000, true, {}, "кратко", "полно"};
    sound.form.values[snapshot::field_named("Edit8")] = "Гром";
    sound.form.values[snapshot::field_named("Edit9")] = "0:42";
    store::NewEntry map{Tab::Maps, 1000, true, {}, "кратко", "полно"};
    map.form.values[snapshot::field_named("Edit2")] = "Анна";
    map.form.values[snapshot::field_named("Edit1")] = "1.2";
    ASSERT_TRUE(database.transaction([&] { return store::add_to_journal(database, sound) && store::add_to_journal(database, map); }));
    auto form = started();
    TFJournal journal(*form, &kept_in);
    form->set_journal(&journal);
    form->Action7Execute();
    ASSERT_EQ(journal.shown_count(), 2u);
    EXPECT_EQ(journal.cell(0, 2), L"Гром");
    EXPECT_EQ(journal.cell(0, 3), L"0:42");
    EXPECT_EQ(journal.cell(1, 2), L"Анна");
    EXPECT_EQ(journal.cell(1, 3), L"1.2");
    wchar_t caption[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = caption;
    column.cchTextMax = 64;
    ASSERT_TRUE(ListView_GetColumn(journal.ListView1, 2, &column));
    EXPECT_STREQ(caption, L"Автор / название");
}

// More entries than the list reads at once: each row it asks for, far down,
// back up and at the top, before and after a search, is the entry in that
// place, and the entry a search found is the one Enter opens.
TEST_F(KeptForm, AJournalLongerThanAScreenfulShowsEachEntryInItsPlace) {
    ASSERT_TRUE(database.transaction([&] {
        for (int i = 0; i < 100; ++i) {
            store::NewEntry entry{Tab::Maps, 1000 + i, true, {}, "short", "full"};
            entry.form.values[snapshot::field_named("Edit2")] = "Автор " + std::to_string(i);
            if (!store::add_to_journal(database, entry)) return false;
        }
        return true;
    }));
    auto form = started();
    TFJournal journal(*form, &kept_in);
    form->set_journal(&journal);
    form->Action7Execute();
    ASSERT_EQ(journal.shown_count(), 100u);
    for (std::size_t item : {99u, 70u, 5u, 0u}) {
        EXPECT_EQ(journal.cell(item, 2), L"Автор " + std::to_wstring(99 - item)) << item;
    }

    // Each search narrows only what a search within it found.
    type_into(journal.Edit1, L"АВТОР 5");
    EXPECT_EQ(journal.shown_count(), 11u);
    type_into(journal.Edit1, L"АВТОР 59");
    ASSERT_EQ(journal.shown_count(), 1u);
    EXPECT_EQ(journal.cell(0, 2), L"Автор 59");
    type_into(journal.Edit1, L"АВТОР 4");  // 49 down to 40, then 4
    ASSERT_EQ(journal.shown_count(), 11u);
    EXPECT_EQ(journal.cell(0, 2), L"Автор 49");
    EXPECT_EQ(journal.cell(10, 2), L"Автор 4");
    ListView_SetItemState(journal.ListView1, 10, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    MSG enter{journal.ListView1, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    dispatch_message(enter);
    pump();
    EXPECT_EQ(text_of(form->control("Edit2")), "Автор 4");

    // Delete on the row found removes that entry, not the one in the same
    // row of the whole journal («Автор 89»), once the question is answered.
    ListView_SetItemState(journal.ListView1, 10, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(journal.ListView1);
    const Outcome deleted = run_steps({press(VK_DELETE), [] {
        SendMessageW(GetActiveWindow(), WM_COMMAND, IDYES, 0);  // «Да» in the question
    }});
    EXPECT_TRUE(deleted.all_ran);
    EXPECT_EQ(journal.shown_count(), 10u);
    EXPECT_EQ(journal.cell(9, 2), L"Автор 40");
    const auto authors = [&] {
        std::vector<std::string> all;
        store::Statement read = database.prepare("SELECT id FROM journal");
        while (read.step()) {
            const auto entry = store::journal_entry(database, read.integer(0));
            all.push_back(entry ? entry->row.fields.values[snapshot::field_named("Edit2")].value_or("") : "?");
        }
        return all;
    }();
    EXPECT_EQ(authors.size(), 99u + 1u);  // and the form Enter replaced, kept
    EXPECT_EQ(std::count(authors.begin(), authors.end(), "Автор 4"), 0);
    EXPECT_EQ(std::count(authors.begin(), authors.end(), "Автор 89"), 1);
}

TEST_F(KeptForm, TurnedOffNothingIsKeptTheFormIsForgottenTheJournalStays) {
    auto form = started();
    type_into(form->control("Edit2"), L"Анна");
    click(form->Button1);
    ASSERT_EQ(kept("Edit2"), "Анна");
    form->Action6Execute();
    EXPECT_FALSE(histories.remembering());
    EXPECT_EQ(store::read_kept_form(database), snapshot::Snapshot{});
    EXPECT_NE(status_panel_text(form->StatusBar1, 1).find(L"журнал описаний остаётся"), std::wstring::npos);
    type_into(form->control("Edit2"), L"Борис");
    click(form->Button1);
    pump_for(std::chrono::milliseconds(kKeepDelayMs * 3 / 2));
    EXPECT_EQ(kept("Edit2"), "<none>");
    EXPECT_EQ(store::journal_order(database).size(), 1u);

    form->Action6Execute();  // on again: the form as it stands is kept
    EXPECT_EQ(kept("Edit2"), "Борис");
}


// Opens the list's `item` as Enter does.
void open_item(TFJournal& journal, int item) {
    ListView_SetItemState(journal.ListView1, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(journal.ListView1, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    MSG enter{journal.ListView1, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    dispatch_message(enter);
    pump();
}

// A multi-line box tells nobody of a text set from outside, nor a list of a
// choice made so: a close and the end of a session keep what every control
// holds all the same.
TEST_F(KeptForm, WhatACloseAndTheEndOfASessionKeepIsWhatTheWindowHolds) {
    std::wstring rules;
    for (int line = 1; line <= 60; ++line) rules += L"Правило " + std::to_wstring(line) + L"\r\n";
    {
        auto form = started();
        set_from_outside(form->control("Memo1"), rules);
        SendMessageW(form->control("ComboBox6"), CB_SETCURSEL, 2, 0);
        pump_for(std::chrono::milliseconds(kKeepDelayMs * 3 / 2));
        ASSERT_EQ(kept("Memo1"), "<none>");  // no notification came
        SendMessageW(form->handle(), WM_CLOSE, 0, 0);
    }
    auto form = started();
    EXPECT_EQ(text_of(form->control("Memo1")), narrow(rules));
    EXPECT_EQ(SendMessageW(form->control("ComboBox6"), CB_GETCURSEL, 0, 0), 2);

    set_from_outside(form->control("Memo3"), L"до конца сеанса");
    SendMessageW(form->handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    EXPECT_EQ(kept("Memo3"), "до конца сеанса");
    set_from_outside(form->control("Memo2"), L"и после");
    SendMessageW(form->handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(kept("Memo2"), "и после");
}

// Another copy holds the file's write lock: unticking says the form is not
// forgotten yet, and nothing new is kept meanwhile; once the lock goes, the
// forgetting completes by itself and says so.
TEST_F(KeptForm, UntickedUnderAnotherCopysLockForgetsOnceTheLockGoesAndKeepsNothingMeanwhile) {
    auto form = started();
    type_into(form->control("Edit2"), L"Анна");
    click(form->Button1);
    ASSERT_EQ(kept("Edit2"), "Анна");
    ASSERT_EQ(store::stored_history(database, history::Meaning::Author), history::Values{u"Анна"});

    store::Database another_copy = store::Database::open(folder.file("Tessivar.db"), store::Database::Mode::ReadWrite);
    ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
    form->Action6Execute();
    EXPECT_FALSE(form->Action6Checked());
    EXPECT_TRUE(says(*form, L"Введённое пока не забыто")) << status_note(*form);
    type_into(form->control("Edit2"), L"Борис");
    click(form->Button1);
    pump_for(std::chrono::milliseconds(kKeepDelayMs * 2));  // a try or two, refused
    EXPECT_EQ(kept("Edit2"), "Анна");
    ASSERT_TRUE(another_copy.exec("COMMIT"));

    EXPECT_TRUE(pump_until([&] { return store::setting(database, store::kRememberingSetting) == "0"; }));
    EXPECT_EQ(store::read_kept_form(database), snapshot::Snapshot{});
    EXPECT_EQ(store::stored_history(database, history::Meaning::Author), history::Values{});
    EXPECT_TRUE(says(*form, L"Введённое больше не запоминается и забыто")) << status_note(*form);
    pump_for(std::chrono::milliseconds(kKeepDelayMs * 3 / 2));
    EXPECT_EQ(kept("Edit2"), "<none>");
    EXPECT_EQ(store::journal_order(database).size(), 1u);  // «Борис» pressed while off
}

// A press while another copy holds the lock: its journal entry and the form
// are held, the status bar says so, and the timer keeps both once the lock
// goes, with no keystroke to wake it.
TEST_F(KeptForm, APressUnderAnotherCopysLockIsHeldAndKeptOnceTheLockGoes) {
    auto form = started();
    store::Database another_copy = store::Database::open(folder.file("Tessivar.db"), store::Database::Mode::ReadWrite);
    ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
    type_into(form->control("Edit2"), L"Анна");
    click(form->Button1);
    EXPECT_TRUE(says(*form, L"Введённое пока не сохранено")) << status_note(*form);
    type_into(form->control("Memo1"), L"Правила");
    pump_for(std::chrono::milliseconds(kKeepDelayMs * 2));
    ASSERT_TRUE(another_copy.exec("COMMIT"));

    EXPECT_TRUE(pump_until([&] { return kept("Memo1") == "Правила"; }));
    EXPECT_EQ(kept("Edit2"), "Анна");
    const auto order = store::journal_order(database);
    ASSERT_EQ(order.size(), 1u);
    const auto entry = store::journal_entry(database, order[0]);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->row.fields.values[snapshot::field_named("Edit2")], "Анна");
    EXPECT_EQ(entry->full_text, text_of(form->Disc2));
    EXPECT_TRUE(says(*form, L"Введённое сохранено.")) << status_note(*form);
}

// A box of megabytes is saved behind the window, which only reads it: the
// file holds what the box holds, through typing meanwhile and a close. One
// that another copy's lock refuses is saved again in the foreground, which
// says why and keeps it once the lock goes.
TEST_F(KeptForm, ABoxOfMegabytesIsSavedBehindTheWindowAndKeptWhole) {
    auto form = started();
    const std::wstring megabytes(kBehindUnits, L'ж');
    const auto kept_whole = [&] { return kept("Memo1") == text_of(form->control("Memo1")); };
    type_into(form->control("Memo1"), megabytes);
    form->keeping().save_changed();
    EXPECT_TRUE(form->keeping().saving_behind());
    EXPECT_TRUE(pump_until([&] { return !form->keeping().saving_behind(); }));
    EXPECT_TRUE(kept_whole());

    type_into(form->control("Memo1"), megabytes + L"!");
    form->keeping().save_changed();
    EXPECT_TRUE(form->keeping().saving_behind());
    SendMessageW(form->control("Memo1"), WM_CHAR, L'ё', 0);
    form->keeping().save();  // the close
    EXPECT_FALSE(form->keeping().saving_behind());
    EXPECT_TRUE(kept_whole());

    store::Database another_copy = store::Database::open(folder.file("Tessivar.db"), store::Database::Mode::ReadWrite);
    ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
    type_into(form->control("Memo1"), megabytes + L"?");
    form->keeping().save_changed();
    EXPECT_TRUE(form->keeping().saving_behind());
    EXPECT_TRUE(pump_until([&] { return says(*form, L"Введённое пока не сохранено"); }));
    ASSERT_TRUE(another_copy.exec("COMMIT"));
    EXPECT_TRUE(pump_until(kept_whole));
}

// A spoilt file put aside: the new file holds nothing, and the whole form in
// memory goes into it, not only what changes next.
TEST_F(KeptForm, ANewFileInPlaceOfASpoiltOneGetsTheWholeForm) {
    auto form = started();
    type_into(form->control("Edit2"), L"Анна");
    type_into(form->control("Memo1"), L"Правила");
    form->keeping().save();
    ASSERT_EQ(kept("Memo1"), "Правила");
    ASSERT_TRUE(store::forget_kept_form(database));  // as the new file starts
    form->keeping().told(store::Fault::PutAside, "Файл базы данных испорчен и отложен как x; начат новый.");
    EXPECT_TRUE(says(*form, L"отложен как x")) << status_note(*form);
    EXPECT_TRUE(pump_until([&] { return kept("Memo1") == "Правила"; }));
    EXPECT_EQ(kept("Edit2"), "Анна");
}

Step answer(int button) {
    return [button] {
        HWND box = FindWindowW(L"#32770", kJournalTitle);
        if (!box) return static_cast<void>(--detail::g_script->next);  // not up yet
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    };
}

// Dragged to a monitor of 150 %: the system's rectangle, the font, the
// columns, the search box and the list at the density, held to their edges.
TEST_F(KeptForm, TheJournalAtANewDensityTakesItsRectangleFontColumnsAndPlaces) {
    auto form = started();
    TFJournal journal(*form, &kept_in);
    journal.show();
    const RECT suggested = {30, 30, 30 + 960, 30 + 660};
    change_density(journal.handle(), 144, suggested);
    EXPECT_TRUE(has_rectangle(journal.handle(), suggested));
    EXPECT_EQ(font_height(journal.Edit1), -16);
    EXPECT_EQ(ListView_GetColumnWidth(journal.ListView1, 0), 165);
    const SIZE client = client_size(journal.handle());
    const RECT label = bounds_in_parent(journal.Label1), box = bounds_in_parent(journal.Edit1);
    const RECT list = bounds_in_parent(journal.ListView1);
    EXPECT_EQ(label.left, 12);
    EXPECT_EQ(label.top, 17);
    EXPECT_EQ(box.left, 72);
    EXPECT_EQ(box.bottom - box.top, 32);
    EXPECT_EQ(client.cx - box.right, 12);
    EXPECT_EQ(list.top, 56);
    EXPECT_EQ(client.cx - list.right, 12);
    EXPECT_EQ(client.cy - list.bottom, 12);
}

// The form an opened entry replaces, hand edits of both panes included, is
// kept first and comes back when opened in turn; where the file refuses it,
// nothing is replaced and the status bar says why; with remembering off,
// the user is asked whether it may go.
TEST_F(KeptForm, OpeningAnEntryKeepsWhatItReplacesPanesIncludedOrReplacesNothing) {
    auto form = started();
    TFJournal journal(*form, &kept_in);
    form->set_journal(&journal);
    for (const wchar_t* author : {L"Анна", L"Борис"}) {
        type_into(form->control("Edit2"), author);
        click(form->Button1);
    }
    type_into(form->Disc1, L"кратко, рукой");
    type_into(form->Disc2, L"полно, рукой");
    form->Action7Execute();
    ASSERT_EQ(journal.shown_count(), 2u);

    // Kept first: a save the lock refused would say so over the notes below,
    // as soon as a busy machine let its retry come.
    form->keeping().save();
    store::Database another_copy = store::Database::open(folder.file("Tessivar.db"), store::Database::Mode::ReadWrite);
    ASSERT_TRUE(another_copy.exec("BEGIN IMMEDIATE"));
    open_item(journal, 1);
    EXPECT_EQ(text_of(form->control("Edit2")), "Борис");
    EXPECT_EQ(text_of(form->Disc2), "полно, рукой");
    EXPECT_TRUE(says(*form, L"Запись не открыта")) << status_note(*form);
    MSG del{journal.ListView1, WM_KEYDOWN, VK_DELETE, 0, 0, {}};
    EXPECT_TRUE(run_steps({[&] { dispatch_message(del); }, answer(IDYES)}).all_ran);
    EXPECT_TRUE(says(*form, L"Записи журнала не удалены")) << status_note(*form);
    EXPECT_EQ(store::journal_order(database).size(), 2u);
    EXPECT_EQ(journal.shown_count(), 2u);
    ASSERT_TRUE(another_copy.exec("COMMIT"));

    open_item(journal, 1);
    EXPECT_EQ(text_of(form->control("Edit2")), "Анна");
    ASSERT_EQ(journal.shown_count(), 3u);
    EXPECT_EQ(journal.cell(0, 1), L"Карты, не сформировано");
    open_item(journal, 0);
    EXPECT_EQ(text_of(form->control("Edit2")), "Борис");
    EXPECT_EQ(text_of(form->Disc1), "кратко, рукой");
    EXPECT_EQ(text_of(form->Disc2), "полно, рукой");

    form->Action6Execute();  // off: nothing may be kept
    type_into(form->control("Edit2"), L"не сохранится");
    const std::size_t entries = store::journal_order(database).size();
    Outcome outcome = run_steps({[&] { open_item(journal, 2); }, answer(IDNO)});
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_EQ(text_of(form->control("Edit2")), "не сохранится");
    outcome = run_steps({[&] { open_item(journal, 2); }, answer(IDYES)});
    EXPECT_TRUE(outcome.all_ran);
    EXPECT_EQ(text_of(form->control("Edit2")), "Анна");
    EXPECT_EQ(store::journal_order(database).size(), entries);
}

// Another copy holds the file as the program starts, here bringing a file
// of the version before forward: the form comes back once it lets go, in
// every field not typed into meanwhile, and what was typed is kept.
TEST_F(KeptForm, AFileHeldAsTheProgramStartsComesBackOnceItIsLetGo) {
    {
        auto form = started();
        type_into(form->control("Edit2"), L"Анна");
        type_into(form->control("Memo1"), L"Правила");
        type_into(form->control("Edit4"), L"Вера");
        SendMessageW(form->handle(), WM_CLOSE, 0, 0);
    }
    ASSERT_TRUE(database.exec(testing::kBackToVersionTwo));
    ASSERT_TRUE(database.exec("BEGIN IMMEDIATE"));
    store::Store next_run(folder.file("Tessivar.db"));
    next_run.open_existing();
    ASSERT_TRUE(next_run.waiting());
    store::StoreHistories next_histories(next_run);
    auto form = started_on(next_run, next_histories);
    EXPECT_EQ(text_of(form->control("Edit2")), "Неизвестен");  // nothing could be read
    type_into(form->control("Edit4"), L"Борис");
    ASSERT_TRUE(database.exec("COMMIT"));

    EXPECT_TRUE(pump_until([&] { return text_of(form->control("Edit2")) == "Анна"; }));
    EXPECT_EQ(text_of(form->control("Memo1")), "Правила");
    EXPECT_EQ(text_of(form->control("Edit4")), "Борис");
    EXPECT_TRUE(pump_until([&] { return kept("Edit4") == "Борис"; }));
    EXPECT_EQ(kept("Edit2"), "Анна");
}

// Nothing kept yet: showing the window, reading the switch as the menu does,
// waiting and closing leave no file where it would lie; the first change makes it.
TEST(FirstStart, WithNothingKeptMakesNoFileUntilSomethingChanges) {
    init_common_controls();
    TemporaryFolder empty;
    store::Store kept_in(empty.file("Tessivar.db"));
    kept_in.open_existing();
    store::StoreHistories histories(kept_in);
    const auto started = [&] { return started_on(kept_in, histories); };
    {
        auto form = started();
        EXPECT_TRUE(form->Action6Checked());
        pump_for(std::chrono::milliseconds(kKeepDelayMs * 2));
        SendMessageW(form->handle(), WM_CLOSE, 0, 0);
    }
    EXPECT_TRUE(std::filesystem::is_empty(empty.path()));  // nor -wal nor -shm
    auto form = started();
    type_into(form->control("Edit4"), L"Анна");
    EXPECT_TRUE(pump_until([&] { return std::filesystem::exists(empty.path() / "Tessivar.db"); }));
}


// Every field of every tab through its whole life, walked from the window's
// own rows, so that a control no table names fails too: shown with its
// label, typed, offered to layouts under its name, offered again by quick
// fill where it shares a history, found by the journal's search, kept and
// shown again in a new window, emptied or left by «Очистить». Each failure
// names its field.
class FieldLife : public KeptForm {
protected:
    struct Field {
        const ControlRow* row;
        const TabField* field;  // none: the tab's table lacks it
        std::string name;
    };

    static bool is_input(Kind kind) {
        return kind == Kind::Edit || kind == Kind::Combo || kind == Kind::DropList || kind == Kind::Memo ||
               kind == Kind::DateToggle || kind == Kind::DatePicker;
    }
    static Kind kind_of(Input input) {
        constexpr Kind kinds[] = {Kind::Edit,       Kind::Combo,      Kind::DropList,
                                  Kind::Memo,       Kind::DateToggle, Kind::DatePicker};
        return kinds[static_cast<int>(input)];
    }
    static Parent page_of(Tab tab) { return static_cast<Parent>(index_of(tab) + 1); }

    // The inputs on the tab's page, each with its row of the tab's table.
    static std::vector<Field> fields_on(Tab tab) {
        std::vector<Field> walked;
        for (const ControlRow& row : main_window_rows()) {
            if (row.parent != page_of(tab) || !is_input(row.kind)) continue;
            const auto table = fields_of(tab);
            const auto in_table = std::find_if(table.begin(), table.end(), [&](const TabField& f) {
                return !row.name.empty() && f.control == row.name;
            });
            const std::string name = row.name.empty() ? "<unnamed, tab order " + std::to_string(row.tab_order) + ">"
                                                      : std::string(row.name);
            walked.push_back({&row, in_table == table.end() ? nullptr : &*in_table, name});
        }
        return walked;
    }

    static const ControlRow* button_on(Tab tab, std::wstring_view caption) {
        for (const ControlRow& row : main_window_rows()) {
            if (row.parent == page_of(tab) && row.kind == Kind::Button && row.text == caption) return &row;
        }
        return nullptr;
    }
    static const ControlRow* label_of(const ControlRow& control) {
        for (const ControlRow& row : main_window_rows()) {
            if (row.kind == Kind::Label && row.names == control.name) return &row;
        }
        return nullptr;
    }

    // What the field is given: its own name in it, so that no other value holds it.
    static std::wstring value_of(const Field& f) {
        const std::wstring own = L"«" + widen(f.name) + L"»";
        return f.row->kind == Kind::Memo ? L"первая " + own + L"\r\nвторая " + own + L" ё" : L"значение " + own;
    }

    HWND control(const TFMain& form, const Field& f) const { return form.control(*f.row); }

    void give_values(TFMain& form, Tab tab) {
        form.select_page(static_cast<int>(index_of(tab)));
        pump();
        for (const Field& f : fields_on(tab)) {
            HWND box = control(form, f);
            switch (f.row->kind) {
                case Kind::DropList:
                    SendMessageW(box, CB_SETCURSEL, 2, 0);
                    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(box));
                    break;
                case Kind::DatePicker: pick_date(box, 2019, 11, 30); break;
                case Kind::DateToggle: break;  // ticked, as it starts, for the layouts; unticked at the press
                default: SetWindowTextW(box, value_of(f).c_str());
            }
        }
    }

    // The typed value's text as the control holds it.
    std::string expected(const TFMain& form, const Field& f) const {
        return f.row->kind == Kind::DropList ? text_of(control(form, f)) : narrow(value_of(f));
    }

    void shown_with_label(const TFMain& form, const Field& f) {
        if (f.row->kind == Kind::DateToggle) {
            EXPECT_TRUE(f.row->hint) << "field " << f.name << ": a toggle says what it is in its hint";
            return;
        }
        const ControlRow* label = label_of(*f.row);
        ASSERT_TRUE(label) << "field " << f.name << " has no label";
        EXPECT_TRUE(IsWindowVisible(form.control(*label))) << "field " << f.name;
        EXPECT_EQ(text_of(form.control(*label)), narrow(label->text)) << "field " << f.name;
        const std::string layout_name(f.field->layout_name);
        if (f.row->kind == Kind::DatePicker) {
            EXPECT_EQ(layout_name, "Дата") << "field " << f.name;
        } else {
            EXPECT_EQ(layout_name + ":", narrow(label->text))
                << "field " << f.name << ": its layout name is its label's";
        }
    }

    void offered_to_layouts(const TFMain& form, Tab tab, const Field& f, bool dated) {
        if (f.field->layout_name.empty()) return;
        const std::string field = "{" + std::string(f.field->layout_name) + "}";
        const Rendered rendered = form.render_tab(tab, {field + "\n", ""});
        ASSERT_TRUE(std::holds_alternative<Description>(rendered)) << "field " << f.name << " unknown to layouts";
        const Lines lines = std::get<Description>(rendered).short_lines;
        if (f.row->kind == Kind::Memo) {
            EXPECT_EQ(lines, (Lines{"первая «" + f.name + "»", "вторая «" + f.name + "» ё"})) << "field " << f.name;
        } else if (f.row->kind == Kind::DatePicker) {
            const bool has_date = !lines.empty() && lines[0].find("2019") != std::string::npos;
            EXPECT_EQ(has_date, dated) << "field " << f.name << ": the date only while its toggle is ticked";
        } else {
            EXPECT_EQ(lines, (Lines{expected(form, f)})) << "field " << f.name;
        }
    }

    void offered_by_quick_fill(const TFMain& form, const Field& f) {
        const std::u16string value = as_units(widen(text_of(control(form, f))));
        for (history::Meaning meaning : history::kMeanings) {
            const history::Values kept_values = histories.values(meaning);
            const bool in_it = std::find(kept_values.begin(), kept_values.end(), value) != kept_values.end();
            EXPECT_EQ(in_it, f.field->history == meaning)
                << "field " << f.name << ", history " << static_cast<int>(meaning);
        }
    }

    void found_by_the_journal(TFJournal& journal, const Field& f) {
        const std::wstring own = f.row->kind == Kind::DropList ? L"ТЕМНАЯ ЦИТАДЕЛЬ" : L"«" + widen(f.name) + L"»";
        type_into(journal.Edit1, own);
        EXPECT_EQ(journal.shown_count(), 1u) << "field " << f.name << " not found by the journal's search";
    }

    void kept_and_shown_again(const TFMain& form, const Field& f) {
        HWND box = control(form, f);
        switch (f.row->kind) {
            case Kind::DropList: EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 2) << "field " << f.name; break;
            case Kind::DateToggle: EXPECT_FALSE(is_checked(box)) << "field " << f.name; break;
            case Kind::DatePicker:
                EXPECT_EQ(date_of(box).wYear, 2019) << "field " << f.name;
                EXPECT_EQ(date_of(box).wDay, 30) << "field " << f.name;
                break;
            default: EXPECT_EQ(text_of(box), expected(form, f)) << "field " << f.name << " not kept";
        }
    }

    static std::string state_of(HWND box, Kind kind) {
        if (kind == Kind::DateToggle) return is_checked(box) ? "ticked" : "unticked";
        if (kind == Kind::DatePicker) return std::to_string(date_of(box).wYear) + "-" + std::to_string(date_of(box).wDay);
        return text_of(box);
    }
};

TEST_F(FieldLife, EveryFieldOfEveryTabIsShownTypedOfferedFoundKeptAndClearedByItsTable) {
    {
        auto form = started();
        TFJournal journal(*form, &kept_in);
        form->set_journal(&journal);
        for (Tab tab : kTabs) {
            SCOPED_TRACE("tab " + std::to_string(index_of(tab)));
            for (const TabField& row : fields_of(tab)) {
                const ControlRow* control = main_window_row(row.control);
                ASSERT_TRUE(control) << "field " << row.control << " has no control";
                EXPECT_EQ(control->parent, page_of(tab)) << "field " << row.control;
                EXPECT_EQ(control->kind, kind_of(row.input)) << "field " << row.control;
            }
            give_values(*form, tab);
            const auto fields = fields_on(tab);
            for (const Field& f : fields) {
                ASSERT_TRUE(f.field) << "field " << f.name << " is in no row of its tab's table";
                shown_with_label(*form, f);
                offered_to_layouts(*form, tab, f, true);
            }
            for (const Field& f : fields) {
                if (f.row->kind == Kind::DateToggle) click(control(*form, f));
            }
            for (const Field& f : fields) offered_to_layouts(*form, tab, f, false);
            click(form.get()->*button_on(tab, L"Сформировать код")->member);
            form->Action7Execute();
            for (const Field& f : fields) {
                if (f.row->kind != Kind::DateToggle && f.row->kind != Kind::DatePicker) {
                    offered_by_quick_fill(*form, f);
                    found_by_the_journal(journal, f);
                }
            }
            type_into(journal.Edit1, L"");
            SendMessageW(journal.handle(), WM_COMMAND, IDCANCEL, 0);
        }
        SendMessageW(form->handle(), WM_CLOSE, 0, 0);
    }
    auto form = started();
    for (Tab tab : kTabs) {
        SCOPED_TRACE("tab " + std::to_string(index_of(tab)));
        form->select_page(static_cast<int>(index_of(tab)));
        const auto fields = fields_on(tab);
        std::vector<std::string> before;
        for (const Field& f : fields) {
            kept_and_shown_again(*form, f);
            before.push_back(state_of(control(*form, f), f.row->kind));
        }
        click(form.get()->*button_on(tab, L"Очистить")->member);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Field& f = fields[i];
            const std::string now = state_of(control(*form, f), f.row->kind);
            EXPECT_EQ(now, f.field->cleared ? "" : before[i]) << "field " << f.name << " by «Очистить»";
        }
    }
}

}  // namespace
}  // namespace tessivar::testing
