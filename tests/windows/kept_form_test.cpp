// The form kept in the database and the journal, on the real windows: what
// was typed comes back in a new window, a moment after the last change and
// not before, nothing is written while nothing changes, a keystroke stays
// quick beside a megabyte, and three presses make three journal entries
// that the journal window finds and opens.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/actions.h"
#include "form/main_window.h"
#include "journal/journal_window.h"
#include "preview/preview.h"
#include "store/kept.h"
#include "store/schema.h"
#include "tests/host/temporary_folder.h"
#include "tests/windows/form_fixture.h"
#include "tests/windows/timed_steps.h"

namespace tessivar::testing {
namespace {

using namespace std::chrono_literals;

// The switch, as the histories keep it.
class Switch final : public Histories {
public:
    history::Values values(history::Meaning) override { return {}; }
    void record(history::Meaning, std::u16string_view) override {}
    void forget(history::Meaning, std::u16string_view) override {}
    bool remembering() override { return on; }
    void set_remembering(bool value) override { on = value; }
    bool on = true;
};

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

class KeptForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_common_controls(); }
    void SetUp() override {
        ASSERT_EQ(store::migrate(database), store::Migration::Current);
        kept_in.open_existing();
    }

    std::unique_ptr<TFMain> started() {
        auto form = std::make_unique<TFMain>(nullptr, main_menu());
        form->set_histories(&remembering);
        form->keeping().set_store(&kept_in);
        const bool maximized = form->keeping().restore();
        ShowWindow(form->handle(), maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        pump();
        return form;
    }
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
    Switch remembering;
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
        type_into(form->Edit2, L"Пётр 😀");
        type_into(form->Memo3, L"строка 1\r\nстрока 2");
        type_into_combo(form->ComboBox3, L'Ж');
        SendMessageW(form->ComboBox6, CB_SETCURSEL, 2, 0);
        SendMessageW(form->TabSheet1, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->ComboBox6), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(form->ComboBox6));
        click(form->CheckBox2);
        pick_date(form->DateTimePicker3, 2019, 11, 30);
        type_into(form->Edit8, L"Гром");
        click(form->Button9);  // both panes
        SendMessageW(form->PageControl1, TCM_SETCURFOCUS, 3, 0);
        SetWindowPos(form->handle(), nullptr, 40, 30, 700, 650, SWP_NOZORDER);
        SendMessageW(form->handle(), WM_CLOSE, 0, 0);
    }
    auto form = started();
    TFPreview preview(form->handle(), form->Disc1, form->Disc2);
    form->set_preview(&preview);
    form->Action2Execute();
    EXPECT_EQ(text_of(form->Edit2), "Пётр 😀");
    EXPECT_EQ(text_of(form->Memo3), "строка 1\r\nстрока 2");
    EXPECT_EQ(text_of(form->ComboBox3), "Ж");
    EXPECT_EQ(SendMessageW(form->ComboBox6, CB_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(is_checked(form->CheckBox2));
    EXPECT_FALSE(IsWindowEnabled(form->DateTimePicker2));
    EXPECT_EQ(date_of(form->DateTimePicker3).wYear, 2019);
    EXPECT_EQ(date_of(form->DateTimePicker3).wDay, 30);
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
    type_into(form->Edit4, L"Анна");
    pump_for(std::chrono::milliseconds(kKeepDelayMs / 2));
    const auto retyped = std::chrono::steady_clock::now();
    type_into(form->Edit4, L"Анна Б");  // the wait starts again
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
    type_into(form->Edit4, L"Анна Б");  // the same text again: nothing to write
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
    write_text(form->Memo1, megabyte);
    form->keeping().save();
    SendMessageW(form->Memo1, EM_SETSEL, 0, 0);
    const auto before = commits_seen();
    const TextReads reads(form->Memo1);
    // No messages pumped: the keep timer waits, however slow the keystrokes.
    for (int i = 0; i < 30; ++i) SendMessageW(form->Memo1, WM_CHAR, L'я', 0);
    EXPECT_EQ(reads.count(), 0);
    EXPECT_EQ(commits_seen(), before);
    form->keeping().save();
    EXPECT_EQ(reads.count(), 1);
    EXPECT_EQ(kept("Memo1").size(), megabyte.size() + 30 * 2);
}

TEST_F(KeptForm, ThreePressesMakeAJournalThatFindsAndOpensThem) {
    auto form = started();
    TFJournal journal(*form);
    form->set_journal(&journal);
    for (const wchar_t* author : {L"Анна", L"Борис", L"Вера"}) {
        type_into(form->Edit2, author);
        type_into(form->Memo1, std::wstring(L"Правила ") + author);
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

    type_into(form->Edit2, L"никогда не нажато");
    ListView_SetItemState(journal.ListView1, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(journal.ListView1);
    MSG enter{journal.ListView1, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    dispatch_message(enter);
    pump();
    EXPECT_EQ(text_of(form->Edit2), "Борис");
    EXPECT_EQ(text_of(form->Memo1), "Правила Борис");
    EXPECT_NE(text_of(form->Disc2).find("Борис"), std::string::npos);
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 0);

    type_into(journal.Edit1, L"");
    ASSERT_EQ(journal.shown_count(), 4u);  // the replaced form kept
    EXPECT_EQ(journal.cell(0, 1), L"Карты, не сформировано");
    EXPECT_EQ(journal.cell(0, 2), L"никогда не нажато");

    SendMessageW(journal.handle(), WM_COMMAND, IDCANCEL, 0);  // Esc
    EXPECT_FALSE(IsWindowVisible(journal.handle()));
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
    TFJournal journal(*form);
    form->set_journal(&journal);
    form->Action7Execute();
    ASSERT_EQ(journal.shown_count(), 100u);
    for (std::size_t item : {99u, 70u, 5u, 0u}) {
        EXPECT_EQ(journal.cell(item, 2), L"Автор " + std::to_wstring(99 - item)) << item;
    }

    type_into(journal.Edit1, L"АВТОР 4");  // 49 down to 40, then 4
    ASSERT_EQ(journal.shown_count(), 11u);
    EXPECT_EQ(journal.cell(0, 2), L"Автор 49");
    EXPECT_EQ(journal.cell(10, 2), L"Автор 4");
    ListView_SetItemState(journal.ListView1, 10, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    MSG enter{journal.ListView1, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    dispatch_message(enter);
    pump();
    EXPECT_EQ(text_of(form->Edit2), "Автор 4");

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
    type_into(form->Edit2, L"Анна");
    click(form->Button1);
    ASSERT_EQ(kept("Edit2"), "Анна");
    form->Action6Execute();
    EXPECT_FALSE(remembering.on);
    EXPECT_EQ(store::read_kept_form(database), snapshot::Snapshot{});
    EXPECT_NE(status_panel_text(form->StatusBar1, 1).find(L"журнал описаний хранится"), std::wstring::npos);
    type_into(form->Edit2, L"Борис");
    click(form->Button1);
    pump_for(std::chrono::milliseconds(kKeepDelayMs * 3 / 2));
    EXPECT_EQ(kept("Edit2"), "<none>");
    EXPECT_EQ(store::journal_order(database).size(), 1u);

    form->Action6Execute();  // on again: the form as it stands is kept
    EXPECT_EQ(kept("Edit2"), "Борис");
}

}  // namespace
}  // namespace tessivar::testing
