// The text boxes offering what was typed before: the system's autocomplete
// on the real window, each test with a database file of its own.
#include "form_fixture.h"

#include <map>
#include <string_view>
#include <vector>

#include "app/actions.h"
#include "form/main_window_build.h"
#include "fresh_store.h"
#include "store/registry_import.h"
#include "test_key.h"

namespace tessivar::testing {
namespace {

using history::Meaning;
using history::Values;

// The popup list the autocomplete shows under a box, if it shows one.
HWND shown_list() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM result) {
        HWND list = FindWindowExW(window, nullptr, L"ListBox", nullptr);
        if (list && IsWindowVisible(window)) *reinterpret_cast<HWND*>(result) = list;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

int shown_count() {
    HWND list = shown_list();
    return list ? static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
}

void type_keys(HWND box, std::wstring_view keys) {
    for (wchar_t key : keys) SendMessageW(box, WM_CHAR, key, 1);
}

void press_key(HWND box, WORD key) {
    SendMessageW(box, WM_KEYDOWN, key, 1);
    SendMessageW(box, WM_KEYUP, key, 0xC0000001);
}

// What the box shows for each suggestion, walked with Down, the list
// being the system's own; the box then shows what was typed again.
std::vector<std::string> offered(HWND box) {
    std::vector<std::string> shown;
    const int count = shown_count();
    for (int i = 0; i < count; ++i) {
        press_key(box, VK_DOWN);
        shown.push_back(text_of(box));
    }
    press_key(box, VK_DOWN);
    return shown;
}

// A fresh start in the box: focused, emptied, then `keys` typed.
void type_afresh(HWND box, std::wstring_view keys) {
    SetFocus(box);
    SetWindowTextW(box, L"");
    type_keys(box, keys);
}

class QuickFill : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        form->set_histories(&histories);
    }
    void TearDown() override {
        SendMessageW(GetFocus(), WM_KILLFOCUS, 0, 0);  // no list left open
        FormTest::TearDown();
    }

    void press_maps_with_author(const wchar_t* author) {
        form->select_page(0);
        SetWindowTextW(form->control("Edit2"), author);
        click(form->Button1);
    }

    TestStore kept;
    store::StoreHistories& histories = kept.histories;
};

TEST_F(QuickFill, AnAuthorPressedOnTheMapsTabIsOfferedOnEveryTabAndInANewWindow) {
    press_maps_with_author(L"Пётр Иванов");
    press_maps_with_author(L"Anna Petrova");
    EXPECT_EQ(histories.values(Meaning::Author), (Values{u"Anna Petrova", u"Пётр Иванов"}));

    const auto expect_offered = [](TFMain& window, int page, HWND box) {
        SCOPED_TRACE(page);
        window.select_page(page);
        type_afresh(box, L"п");
        EXPECT_EQ(shown_count(), 1);  // a Latin P is another letter
        press_key(box, VK_DOWN);
        EXPECT_EQ(text_of(box), "Пётр Иванов");
        type_afresh(box, L"pet");
        EXPECT_EQ(offered(box), std::vector<std::string>{"Anna Petrova"});
        EXPECT_EQ(text_of(box), "pet");
    };
    expect_offered(*form, 0, form->control("Edit2"));
    expect_offered(*form, 2, form->control("Edit4"));
    expect_offered(*form, 3, form->control("Edit3"));

    TFMain next_run(nullptr);
    store::Store its_file(kept.path);
    store::StoreHistories its_store(its_file);
    next_run.set_histories(&its_store);
    ShowWindow(next_run.handle(), SW_SHOWNORMAL);
    expect_offered(next_run, 2, next_run.control("Edit4"));
}

void shift_delete(HWND box) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE shift = keys[VK_SHIFT];
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    press_key(box, VK_DELETE);
    keys[VK_SHIFT] = shift;
    SetKeyboardState(keys);
}

TEST_F(QuickFill, ShiftDeleteForgetsTheHighlightedValueAndOtherwiseCutsAsEver) {
    press_maps_with_author(L"Пётр Иванов");
    press_maps_with_author(L"Павел");
    type_afresh(form->control("Edit2"), L"п");
    EXPECT_EQ(shown_count(), 2);
    type_keys(form->control("Edit2"), L"ё");
    EXPECT_EQ(shown_count(), 1);  // the list follows each letter typed
    type_afresh(form->control("Edit2"), L"п");
    press_key(form->control("Edit2"), VK_DOWN);
    ASSERT_EQ(text_of(form->control("Edit2")), "Павел");
    shift_delete(form->control("Edit2"));
    EXPECT_EQ(histories.values(Meaning::Author), Values{u"Пётр Иванов"});
    EXPECT_EQ(text_of(form->control("Edit2")), "п");  // what was typed, with what is left
    EXPECT_EQ(offered(form->control("Edit2")), std::vector<std::string>{"Пётр Иванов"});

    // Nothing highlighted: the selection is cut, and the history stays.
    SendMessageW(form->control("Edit2"), WM_KEYDOWN, VK_ESCAPE, 1);
    SendMessageW(form->control("Edit2"), EM_SETSEL, 0, -1);
    shift_delete(form->control("Edit2"));
    EXPECT_EQ(text_of(form->control("Edit2")), "");
    EXPECT_EQ(clipboard_text(), L"п");
    EXPECT_EQ(histories.values(Meaning::Author), Values{u"Пётр Иванов"});
}

// Keys as the program's own loop hands them on, dialog keys included.
void press_in_the_loop(HWND box, WORD key) {
    PostMessageW(box, WM_KEYDOWN, key, 1);
    PostMessageW(box, WM_KEYUP, key, 0xC0000001);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) dispatch_message(msg);
}

TEST_F(QuickFill, EnterTakesTheHighlightedValueAndEscClosesTheListWithTheWindowsKeysAround) {
    press_maps_with_author(L"Пётр Иванов");
    const std::string panes = text_of(form->Disc1);
    type_afresh(form->control("Edit2"), L"п");
    ASSERT_TRUE(shown_list());
    press_in_the_loop(form->control("Edit2"), VK_ESCAPE);
    EXPECT_FALSE(shown_list());
    EXPECT_EQ(text_of(form->control("Edit2")), "п");

    press_in_the_loop(form->control("Edit2"), VK_DOWN);  // opens the list, nothing highlighted yet
    EXPECT_EQ(text_of(form->control("Edit2")), "п");
    press_in_the_loop(form->control("Edit2"), VK_DOWN);
    press_in_the_loop(form->control("Edit2"), VK_RETURN);
    EXPECT_FALSE(shown_list());
    EXPECT_EQ(text_of(form->control("Edit2")), "Пётр Иванов");
    EXPECT_EQ(GetFocus(), form->control("Edit2"));
    EXPECT_EQ(text_of(form->Disc1), panes);
}

TEST_F(QuickFill, TurnedOffItForgetsEveryHistoryAndRecordsNothingUntilTurnedOnAgain) {
    press_maps_with_author(L"Пётр Иванов");
    SetWindowTextW(form->control("Edit8"), L"Гром");
    click(form->Button9);
    EXPECT_TRUE(form->Action6Checked());

    form->Action6Execute();
    EXPECT_FALSE(form->Action6Checked());
    store::Store another_copy(kept.path);
    EXPECT_FALSE(store::StoreHistories(another_copy).remembering());  // another copy sees it too
    for (Meaning meaning : history::kMeanings) EXPECT_EQ(histories.values(meaning), Values{});
    press_maps_with_author(L"Anna");
    EXPECT_EQ(histories.values(Meaning::Author), Values{});
    type_afresh(form->control("Edit2"), L"п");
    EXPECT_FALSE(shown_list());

    form->Action6Execute();
    EXPECT_TRUE(form->Action6Checked());
    press_maps_with_author(L"Anna");
    EXPECT_EQ(histories.values(Meaning::Author), Values{u"Anna"});
}

// The stored list as this program writes it, or as anything else left it.
void plant(const std::string& path, const char* sql_value, std::u16string_view units = {}) {
    store::Database database = store::Database::open(path, store::Database::Mode::ReadWrite);
    store::Statement put =
        database.prepare(std::string("INSERT OR REPLACE INTO histories(meaning, list) VALUES('Authors', ") + sql_value + ")");
    if (std::string_view(sql_value) == "?") {
        put.bind_blob(1, std::as_bytes(std::span(units.data(), units.size())));
    }
    EXPECT_TRUE(put.run()) << database.last_message();
}

TEST_F(QuickFill, WhatAStoreHoldsNeverStopsTheProgramAndABadValueIsWrittenAnewAtTheNextPress) {
    std::u16string crowd, huge;
    for (int i = 0; i < 26; ++i) crowd += u"Пётр " + std::u16string(1, static_cast<char16_t>(u'А' + i)) + u'\0';
    crowd += u'\0';
    while (huge.size() < 5 * 1024 * 1024) huge += std::u16string(u"Пётр\0", 5);
    huge += u'\0';
    const struct {
        const char* what;
        const char* sql_value;
        std::u16string units;
    } cases[] = {
        {"text", "'Пётр Иванов'", {}},
        {"a number", "7", {}},
        {"no NULs", "?", u"Пётр Иванов"},
        {"one NUL short", "?", std::u16string(u"Пётр Иванов\0", 12)},
        {"10 MiB", "?", huge},
        {"lone surrogates", "?", std::u16string(u"Пётр\xD800\0\xDC00\0\0", 9)},
        {"NUL inside a value", "?", std::u16string(u"Пётр\0\0Иванов\0\0", 15)},
        {"26 values", "?", crowd},
    };
    histories.values(Meaning::Author);  // the file made
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        plant(kept.path, c.sql_value, c.units);
        type_afresh(form->control("Edit2"), L"п");
        EXPECT_FALSE(shown_list());
        press_key(form->control("Edit2"), VK_DOWN);
        EXPECT_EQ(text_of(form->control("Edit2")), "п");
        press_maps_with_author(L"Пётр Иванов");
        EXPECT_NE(text_of(form->Disc1), "");
        EXPECT_EQ(histories.values(Meaning::Author), Values{u"Пётр Иванов"});
        SetWindowTextW(form->Disc1, L"");
    }

    // A setting of another kind: remembering stays on.
    {
        store::Database database = store::Database::open(kept.path, store::Database::Mode::ReadWrite);
        ASSERT_TRUE(database.exec("INSERT OR REPLACE INTO settings VALUES('remembering', 'выкл')"));
    }
    EXPECT_TRUE(form->Action6Checked());

    // A file that cannot be made (a folder stands there): nothing offered,
    // nothing kept, nothing else changed.
    store::Store nowhere_file(kept.folder.file(""));
    store::StoreHistories nowhere(nowhere_file);
    form->set_histories(&nowhere);
    type_afresh(form->control("Edit2"), L"п");
    EXPECT_FALSE(shown_list());
    form->Action6Execute();
    press_maps_with_author(L"Anna");
    EXPECT_EQ(nowhere.values(Meaning::Author), Values{});
    EXPECT_NE(text_of(form->Disc1), "");
}

// Each box against its meaning, written out here rather than taken from
// the window's table: a value pressed in a box lands in its own history and
// in no other.
TEST_F(QuickFill, EveryBoxRecordsIntoTheHistoryOfItsOwnMeaningAlone) {
    const struct {
        std::string_view box;
        int page;
        HWND TFMain::*button;
        Meaning meaning;
    } boxes[] = {
        {"Edit2", 0, &TFMain::Button1, Meaning::Author},
        {"Edit1", 0, &TFMain::Button1, Meaning::Version},
        {"LabeledEdit2", 0, &TFMain::Button1, Meaning::Screenshot},
        {"Edit7", 0, &TFMain::Button1, Meaning::Site},
        {"Edit8", 1, &TFMain::Button9, Meaning::SoundTitle},
        {"Edit9", 1, &TFMain::Button9, Meaning::Duration},
        {"Edit11", 1, &TFMain::Button9, Meaning::Site},
        {"Edit4", 2, &TFMain::Button3, Meaning::Author},
        {"Edit5", 2, &TFMain::Button3, Meaning::Version},
        {"Edit3", 3, &TFMain::Button2, Meaning::Author},
        {"Edit6", 3, &TFMain::Button2, Meaning::Version},
    };
    EXPECT_EQ(quick_fill_boxes().size(), std::size(boxes));  // no box left out here
    int n = 0;
    for (const auto& b : boxes) {
        const std::u16string value = u"значение " + std::u16string(1, static_cast<char16_t>(u'А' + n++));
        SCOPED_TRACE(narrow(as_wide(value)));
        form->select_page(b.page);
        SetWindowTextW(form->control(b.box), as_wide(value).c_str());
        click(form.get()->*b.button);
        for (Meaning meaning : history::kMeanings) {
            const Values now = histories.values(meaning);
            EXPECT_EQ(std::find(now.begin(), now.end(), value) != now.end(), meaning == b.meaning)
                << history::stored_name(meaning).size();
        }
    }
}

// The old registry values come in once; the key goes only once they are committed.
TEST(RegistryImport, TheKeysValuesComeInOnceAndTheKeyGoesOnlyAfterTheCommit) {
    TestKey key;
    TestStore kept;
    key.put_units(L"Authors", std::u16string(u"Пётр Иванов\0Anna\0\0", 18));
    key.put_units(L"Sites", std::u16string(u"http://example.org\0\0", 20));
    const DWORD off = 0;
    key.put(L"Remember", REG_DWORD, &off, sizeof off);
    const auto key_exists = [&] {
        HKEY opened{};
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key.path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
        RegCloseKey(opened);
        return true;
    };
    kept.store.on_opened([&](store::Database& database) {
        // Another copy holds the file: nothing is committed, the key stays.
        store::Database other = store::Database::open(kept.path, store::Database::Mode::ReadWrite);
        ASSERT_TRUE(other.exec("BEGIN IMMEDIATE"));
        store::import_registry(database, key.path);
        EXPECT_TRUE(key_exists());
        ASSERT_TRUE(other.exec("ROLLBACK"));
        store::import_registry(database, key.path);
    });
    EXPECT_EQ(kept.histories.values(Meaning::Author), (Values{u"Пётр Иванов", u"Anna"}));
    EXPECT_EQ(kept.histories.values(Meaning::Site), Values{u"http://example.org"});
    EXPECT_EQ(kept.histories.values(Meaning::Version), Values{});
    EXPECT_FALSE(kept.histories.remembering());
    EXPECT_FALSE(key_exists());

    // Taken over: a key that turns up again is not read.
    key.put_units(L"Versions", std::u16string(u"2.0\0\0", 5));
    store::Store next_run(kept.path);
    next_run.on_opened([&](store::Database& database) { store::import_registry(database, key.path); });
    store::StoreHistories next_histories(next_run);
    EXPECT_EQ(next_histories.values(Meaning::Version), Values{});
    EXPECT_TRUE(key_exists());
}

// Counts every question put to it; keeps what it is given.
class CountingHistories final : public Histories {
public:
    Values values(Meaning meaning) override {
        ++asked;
        return kept[meaning];
    }
    void record(Meaning meaning, std::u16string_view value) override {
        ++asked;
        history::remember(kept[meaning], value);
    }
    void forget(Meaning meaning, std::u16string_view value) override {
        ++asked;
        history::forget(kept[meaning], value);
    }
    bool remembering() override { return ++asked, true; }
    bool set_remembering(bool) override { return ++asked, true; }

    int asked = 0;
    std::map<Meaning, Values> kept;
};

TEST(QuickFillStart, TheWindowStartsAsEverAndAsksNothingBeforeABoxIsFocused) {
    init_common_controls();
    CountingHistories histories;
    for (Meaning meaning : history::kMeanings) histories.kept[meaning] = {u"Пётр Иванов", u"1.00", u"0"};
    TFMain form(nullptr, main_menu());
    form.set_histories(&histories);
    ShowWindow(form.handle(), SW_SHOWNORMAL);
    pump();
    for (const QuickFillBox& box : quick_fill_boxes()) {
        EXPECT_EQ(text_of(form.control(box.control)), narrow(main_window_row(box.control)->text));
    }
    EXPECT_FALSE(shown_list());
    SetFocus(form.control("ComboBox1"));
    pump();
    EXPECT_EQ(histories.asked, 0);

    SetFocus(form.control("Edit1"));  // "1.00", its starting text, offers all it has
    EXPECT_GT(histories.asked, 0);
    EXPECT_FALSE(shown_list());
    press_key(form.control("Edit1"), VK_DOWN);
    EXPECT_EQ(shown_count(), 3);
}

}  // namespace
}  // namespace tessivar::testing
