// The date toggles switch their pickers; pointing at one explains it in the
// status bar until the mouse moves over the maps page's free area.
#include "form_fixture.h"

#include <commctrl.h>


namespace tessivar::testing {
namespace {

constexpr wchar_t kToggleHint[] = L"Если вы не знаете дату выхода версии то снимите галочку.";

struct DateRow {
    HWND TFMain::*toggle;
    HWND TFMain::*picker;
    int page;
};

constexpr DateRow kDateRows[] = {
    {&TFMain::CheckBox1, &TFMain::DateTimePicker1, 0},
    {&TFMain::CheckBox2, &TFMain::DateTimePicker2, 2},
    {&TFMain::CheckBox3, &TFMain::DateTimePicker3, 3},
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
    HWND picker(const DateRow& row) const { return form.get()->*row.picker; }
    HWND toggle(const DateRow& row) const { return form.get()->*row.toggle; }

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
        move_mouse_over(form.get()->*row.toggle);
        EXPECT_EQ(hint(), kToggleHint) << "toggle on page " << row.page;
        move_mouse_over(form.get()->*row.picker);
        EXPECT_EQ(hint(), kToggleHint) << "the picker beside it keeps the hint";
        move_mouse_over(form->TabSheet1);
        EXPECT_EQ(hint(), L"");
        expect_outer_panels_unchanged();
    }
}

TEST_F(StatusHint, OtherControlsAndOtherPagesLeaveTheHintAsItIs) {
    move_mouse_over(form->Edit1);
    EXPECT_EQ(hint(), L"") << "nothing to explain over the version";

    move_mouse_over(form->CheckBox1);
    for (HWND elsewhere : {form->Edit1, form->Memo1, form->Button4, form->TabSheet2, form->Edit8,
                           form->TabSheet3, form->Memo3, form->TabSheet4, form->PageControl1, form->Disc2}) {
        move_mouse_over(elsewhere);
        EXPECT_EQ(hint(), kToggleHint);
    }
    expect_outer_panels_unchanged();
}

}  // namespace
}  // namespace tessivar::testing
