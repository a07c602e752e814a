// The date toggles switch their pickers; pointing at one explains it in the
// status bar until the mouse moves over the maps page's free area. Having
// no caption, each is named by its hint once a screen reader asks.
#include "form_fixture.h"
#include "com_apartment.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace tessivar::testing {
namespace {

constexpr wchar_t kToggleHint[] = L"Если вы не знаете дату выхода версии то снимите галочку.";
// Its tooltip, without the full stop, is its name.
constexpr wchar_t kToggleName[] = L"Если вы не знаете дату выхода версии то снимите галочку";

struct DateRow {
    std::string_view toggle;
    std::string_view picker;
    int page;
};

constexpr DateRow kDateRows[] = {
    {"CheckBox1", "DateTimePicker1", 0},
    {"CheckBox2", "DateTimePicker2", 2},
    {"CheckBox3", "DateTimePicker3", 3},
};

bool shows_the_start_date(HWND picker) {
    SYSTEMTIME t{};
    return DateTime_GetSystemtime(picker, &t) == GDT_VALID && t.wYear == 2009 && t.wMonth == 11 && t.wDay == 2;
}

void press_space(HWND toggle) {
    SendMessageW(toggle, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(toggle, WM_KEYUP, VK_SPACE, 0);
    pump();
}

void move_mouse_over(HWND control) { SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3)); }

class DateToggles : public FormTest {
protected:
    HWND picker(const DateRow& row) const { return form->control(row.picker); }
    HWND toggle(const DateRow& row) const { return form->control(row.toggle); }

    // Only the picker whose toggle is off is greyed.
    void expect_only_greyed(const DateRow* off) const {
        for (const DateRow& row : kDateRows) {
            EXPECT_EQ(IsWindowEnabled(picker(row)) != FALSE, &row != off) << "picker on page " << row.page;
        }
    }
};

TEST_F(DateToggles, EachGreysItsOwnPickerAndBringsItBackWithTheSameDate) {
    for (const DateRow& row : kDateRows) {
        form->select_page(row.page);
        click(toggle(row));
        EXPECT_FALSE(is_checked(toggle(row)));
        expect_only_greyed(&row);
        EXPECT_TRUE(shows_the_start_date(picker(row)));

        click(toggle(row));
        expect_only_greyed(nullptr);
        EXPECT_TRUE(shows_the_start_date(picker(row)));
    }
}

TEST_F(DateToggles, TheSpaceKeyTogglesThePickerToo) {
    const DateRow& models = kDateRows[1];
    form->select_page(models.page);
    press_space(toggle(models));
    expect_only_greyed(&models);
    press_space(toggle(models));
    expect_only_greyed(nullptr);
}

// Stands in for the system's annotation service in this thread's apartment
// and records what the window asks of it.
class RecordingAnnotations final : public IClassFactory, public IAccPropServices {
public:
    struct Call {
        HWND control;
        DWORD object, child;
        MSAAPROPID property;
        std::wstring text;
    };
    std::vector<Call> named, cleared;
    int made = 0;
    HRESULT answer = S_OK;  // to naming; Wine 8's own service answers E_NOTIMPL

    RecordingAnnotations() {
        CoRegisterClassObject(CLSID_AccPropServices, static_cast<IClassFactory*>(this), CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &cookie_);
    }
    ~RecordingAnnotations() { CoRevokeClassObject(cookie_); }
    RecordingAnnotations(const RecordingAnnotations&) = delete;
    RecordingAnnotations& operator=(const RecordingAnnotations&) = delete;

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) *object = static_cast<IClassFactory*>(this);
        if (iid == IID_IAccPropServices) *object = static_cast<IAccPropServices*>(this);
        return *object ? S_OK : E_NOINTERFACE;
    }
    // Lives as long as the test: counting references would tell nothing here.
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }

    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        ++made;
        return outer ? CLASS_E_NOAGGREGATION : QueryInterface(iid, object);
    }
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

    HRESULT WINAPI SetHwndPropStr(HWND control, DWORD object, DWORD child, MSAAPROPID property,
                                  LPCWSTR text) override {
        named.push_back({control, object, child, property, text});
        return answer;
    }
    HRESULT WINAPI ClearHwndProps(HWND control, DWORD object, DWORD child, const MSAAPROPID* properties,
                                  int count) override {
        for (int i = 0; i < count; ++i) cleared.push_back({control, object, child, properties[i], L""});
        return S_OK;
    }

    // Nothing else is the window's to ask.
    HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHwndProp(HWND, DWORD, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                     AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override { return E_NOTIMPL; }
    HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override { return E_NOTIMPL; }

private:
    DWORD cookie_ = 0;
};

// What a screen reader's first question to a window is.
LRESULT ask(HWND control, LONG object) {
    return SendMessageW(control, WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(object)));
}

// The service is in place before the window is made, as the system's is.
class ToggleNames : public DateToggles {
protected:
    std::vector<HWND> ask_every_toggle_twice() {
        std::vector<HWND> toggles;
        for (const DateRow& row : kDateRows) {
            form->select_page(row.page);
            EXPECT_EQ(ask(toggle(row), OBJID_CLIENT), 0) << "the system's proxy answers for it";
            ask(toggle(row), OBJID_WINDOW);
            toggles.push_back(toggle(row));
        }
        return toggles;
    }

    ComApartment apartment_;
    RecordingAnnotations annotations_;
};

TEST_F(ToggleNames, TheFirstQuestionNamesEachByItsHintAndItsEndTakesTheNameAway) {
    EXPECT_EQ(annotations_.made, 0) << "nothing of the service while no screen reader asks";
    const std::vector<HWND> toggles = ask_every_toggle_twice();
    ASSERT_EQ(annotations_.named.size(), 3u);
    for (std::size_t i = 0; i < toggles.size(); ++i) {
        const auto& call = annotations_.named[i];
        EXPECT_EQ(call.control, toggles[i]);
        EXPECT_EQ(call.object, static_cast<DWORD>(OBJID_CLIENT));
        EXPECT_EQ(call.child, static_cast<DWORD>(CHILDID_SELF));
        EXPECT_TRUE(call.property == PROPID_ACC_NAME);
        EXPECT_EQ(call.text, kToggleName);
    }
    EXPECT_TRUE(annotations_.cleared.empty());

    form.reset();
    ASSERT_EQ(annotations_.cleared.size(), 3u);
    for (const auto& call : annotations_.cleared) {
        EXPECT_NE(std::find(toggles.begin(), toggles.end(), call.control), toggles.end());
        EXPECT_EQ(call.object, static_cast<DWORD>(OBJID_CLIENT));
        EXPECT_TRUE(call.property == PROPID_ACC_NAME);
    }
}

TEST_F(ToggleNames, WhereTheSystemCannotNameThemTheyAreTriedOnceAndWorkOn) {
    annotations_.answer = E_NOTIMPL;
    ask_every_toggle_twice();
    EXPECT_EQ(annotations_.named.size(), 3u);
    for (const DateRow& row : kDateRows) {
        form->select_page(row.page);
        click(toggle(row));
        expect_only_greyed(&row);
        click(toggle(row));
        move_mouse_over(toggle(row));
        EXPECT_EQ(status_panel_text(form->StatusBar1, 1), kToggleHint);
        move_mouse_over(form->TabSheet1);
    }
    form.reset();
    EXPECT_TRUE(annotations_.cleared.empty()) << "nothing to take away";
}

class StatusHint : public FormTest {
protected:
    std::wstring hint() const { return status_panel_text(form->StatusBar1, 1); }
    void expect_outer_panels_unchanged() const {
        EXPECT_EQ(status_panel_text(form->StatusBar1, 0), L"Ver 1.3");
        EXPECT_EQ(status_panel_text(form->StatusBar1, 2), L"by Varnhold");
    }
};

TEST_F(StatusHint, EveryDateToggleExplainsItselfUntilTheMapsPageFreeArea) {
    for (const DateRow& row : kDateRows) {
        form->select_page(row.page);
        move_mouse_over(form->control(row.toggle));
        EXPECT_EQ(hint(), kToggleHint) << "toggle on page " << row.page;
        move_mouse_over(form->control(row.picker));
        EXPECT_EQ(hint(), kToggleHint) << "the picker beside it keeps the hint";
        move_mouse_over(form->TabSheet1);
        EXPECT_EQ(hint(), L"");
        expect_outer_panels_unchanged();
    }
}

TEST_F(StatusHint, OtherControlsAndOtherPagesLeaveTheHintAsItIs) {
    move_mouse_over(form->control("Edit1"));
    EXPECT_EQ(hint(), L"") << "nothing to explain over the version";

    move_mouse_over(form->control("CheckBox1"));
    for (HWND elsewhere :
         {form->control("Edit1"), form->control("Memo1"), form->Button4, form->TabSheet2, form->control("Edit8"),
          form->TabSheet3, form->control("Memo3"), form->TabSheet4, form->PageControl1, form->Disc2}) {
        move_mouse_over(elsewhere);
        EXPECT_EQ(hint(), kToggleHint);
    }
    expect_outer_panels_unchanged();
}

}  // namespace
}  // namespace tessivar::testing
