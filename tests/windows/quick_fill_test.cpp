// The text boxes offering what was typed before: the system's autocomplete
// on the real window, each test with a registry key of its own.
#include "form_fixture.h"

#include <map>
#include <vector>

#include "app/registry_histories.h"
#include "form/main_window_build.h"

namespace tessivar::testing {
namespace {

using history::Meaning;
using history::Values;

// A key of the running test's own under HKCU, gone before and after.
class TestKey {
public:
    TestKey() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path = L"Software\\Tessivar tests\\" + widen(test->test_suite_name()) + L"." + widen(test->name());
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    }
    ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    void put(const wchar_t* name, DWORD type, const void* data, std::size_t size) const {
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, type, data, static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void put_units(const wchar_t* name, std::u16string_view units, DWORD type = REG_MULTI_SZ) const {
        put(name, type, units.data(), units.size() * sizeof(char16_t));
    }

    std::wstring path;
};

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
        SetWindowTextW(form->Edit2, author);
        click(form->Button1);
    }

    TestKey key;
    RegistryHistories histories{key.path};
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
    expect_offered(*form, 0, form->Edit2);
    expect_offered(*form, 2, form->Edit4);
    expect_offered(*form, 3, form->Edit3);

    TFMain next_run(nullptr);
    RegistryHistories its_store{key.path};
    next_run.set_histories(&its_store);
    ShowWindow(next_run.handle(), SW_SHOWNORMAL);
    expect_offered(next_run, 2, next_run.Edit4);
}

}  // namespace
}  // namespace tessivar::testing
