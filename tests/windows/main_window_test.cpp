#include "form_fixture.h"
#include "com_apartment.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "../host/worked_examples.h"
#include "store/store.h"

namespace tessivar::testing {
namespace {

std::string joined(const Lines& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

void choose(HWND combo, std::string_view item) {
    const std::wstring wide = widen(item);
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
    ASSERT_NE(index, CB_ERR) << item;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void set_checked(HWND toggle, bool checked) {
    if (is_checked(toggle) != checked) click(toggle);
}

// Switches the short date format for this process and puts it back after.
class ShortDateFormat {
public:
    explicit ShortDateFormat(const wchar_t* format) {
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved_, 80);
        set(format);
    }
    ~ShortDateFormat() { set(saved_); }
    static void set(const wchar_t* format) { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format); }

private:
    wchar_t saved_[80] = {};
};

using MainWindow = FormTest;

TEST_F(MainWindow, WindowTabsAndStatusBar) {
    wchar_t caption[32] = {}, class_name[32] = {};
    GetWindowTextW(form->handle(), caption, 32);
    GetClassNameW(form->handle(), class_name, 32);
    EXPECT_STREQ(caption, L"Tessivar.");
    EXPECT_STREQ(class_name, L"TFMain");
    RECT client;
    GetClientRect(form->handle(), &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 589);

    const wchar_t* captions[] = {L"Карты", L"Звуки", L"Модели", L"Текстуры"};
    ASSERT_EQ(TabCtrl_GetItemCount(form->PageControl1), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t text[32] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 32;
        TabCtrl_GetItem(form->PageControl1, i, &item);
        EXPECT_STREQ(text, captions[i]);
    }
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 0);
    EXPECT_TRUE(IsWindowVisible(form->TabSheet1));
    EXPECT_FALSE(IsWindowVisible(form->TabSheet2));
    form->select_page(2);
    EXPECT_TRUE(IsWindowVisible(form->TabSheet3));
    EXPECT_FALSE(IsWindowVisible(form->TabSheet1));

    const auto panel = [&](int index) { return status_panel_text(form->StatusBar1, index); };
    EXPECT_EQ(SendMessageW(form->StatusBar1, SB_GETPARTS, 0, 0), 3);
    EXPECT_EQ(panel(0), L"Ver 1.3");
    EXPECT_EQ(panel(1), L"");
    EXPECT_EQ(panel(2), L"by Varnhold");
    const RECT status = bounds_in_parent(form->StatusBar1);
    EXPECT_EQ(status.left, 0);
    EXPECT_EQ(status.top, 570);
    EXPECT_EQ(status.right, 640);
    EXPECT_EQ(status.bottom, 589) << "19 high, not sized from its font";
}

// Every note the program may put in the middle panel fits it whole at the
// window's designed size, in its font: a fault named with the longest
// name a file put aside can have.
TEST_F(MainWindow, EveryStatusNoteFitsItsPanelWhole) {
    std::vector<std::wstring> notes(keeping_notes().begin(), keeping_notes().end());
    for (int fault = 0; fault <= static_cast<int>(store::Fault::CaughtUp); ++fault) {
        notes.push_back(widen(store::fault_text(static_cast<store::Fault>(fault), "Tessivar.db.bad-20261231-235959-99")));
    }
    RECT panel{};
    SendMessageW(form->StatusBar1, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&panel));
    const LONG room = panel.right - panel.left - 2 * GetSystemMetrics(SM_CXEDGE) - 2;
    HDC dc = GetDC(form->StatusBar1);
    HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(form->StatusBar1, WM_GETFONT, 0, 0)));
    for (const std::wstring& note : notes) {
        SIZE size{};
        GetTextExtentPoint32W(dc, note.c_str(), static_cast<int>(note.size()), &size);
        EXPECT_LE(size.cx, room) << narrow(note);
    }
    SelectObject(dc, before);
    ReleaseDC(form->StatusBar1, dc);
}

std::wstring window_text(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

// The name a screen reader gives a field: the first label before it in
// z-order, the walk stopping at a control that starts a tab group.
std::wstring label_before(HWND control) {
    for (HWND w = GetWindow(control, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        if (lstrcmpiW(name, L"Static") == 0) return window_text(w);
        const LONG style = GetWindowLongW(w, GWL_STYLE);
        if ((style & WS_GROUP) && (style & WS_TABSTOP)) break;
    }
    return L"";
}

// The name the system's accessibility layer gives a control, asked as a
// screen reader asks. The IID comes from __uuidof: liboleacc.a exports
// IID_IAccessible as the DLL's data, and a plain reference to it binds to
// the import thunk, whose code bytes then go out as the IID (E_NOINTERFACE).
std::wstring accessible_name(HWND control) {
    IAccessible* object = nullptr;
    const HRESULT found =
        AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object));
    if (FAILED(found)) {
        wchar_t code[32] = {};
        swprintf(code, 32, L"<no accessible object: 0x%08lX>", static_cast<unsigned long>(found));
        return code;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    object->get_accName(self, &name);
    object->Release();
    std::wstring text = name ? name : L"<no name>";
    SysFreeString(name);
    return text;
}

TEST_F(MainWindow, EveryFieldIsNamedByItsOwnLabel) {
    ComApartment apartment;
    int named = 0, asked = 0;
    for (const ControlRow& row : main_window_rows()) {
        if (row.names.empty()) continue;
        HWND field = form->control(row.names);
        EXPECT_EQ(label_before(field), row.text) << narrow(row.text);
        ++named;
        // Wine's proxy names only the text boxes by their label; for combo
        // boxes and date pickers the z-order walk above is what is checked.
        const Kind kind = main_window_row(row.names)->kind;
        if (kind != Kind::Edit && kind != Kind::Memo) continue;
        EXPECT_EQ(accessible_name(field), row.text) << narrow(row.text);
        ++asked;
    }
    EXPECT_EQ(named, 34);
    EXPECT_EQ(asked, 19);
    EXPECT_EQ(label_before(form->control("LabeledEdit2")), L"Ссылка на скриншот или логотип карты:");
    EXPECT_EQ(label_before(form->Disc2), L"Полное описание материала:");
    EXPECT_EQ(label_before(form->control("ComboBox6")), L"Ландшафт:");

    EXPECT_TRUE(IsWindowVisible(form->Label12));
    HWND above = GetWindow(form->ActionMainMenuBar1, GW_HWNDPREV);
    while (above && above != form->Label12) above = GetWindow(above, GW_HWNDPREV);
    EXPECT_EQ(above, form->Label12) << "the heading lies above the menu bar's band";
}

TEST_F(MainWindow, StartingTextsAndPlaceholders) {
    EXPECT_EQ(text_of(form->control("Edit2")), "Неизвестен");
    EXPECT_EQ(text_of(form->control("Edit1")), "1.00");
    EXPECT_EQ(text_of(form->control("LabeledEdit2")), "");
    EXPECT_EQ(text_of(form->control("Edit7")), "");
    EXPECT_EQ(memo_lines(text_of(form->control("Memo1"))),
              (Lines{"Здесь напишите правила игры, лог изменений ", "или отличия от предыдущей версии."}));
    EXPECT_EQ(text_of(form->control("Edit8")), "Неизвестено");
    EXPECT_EQ(text_of(form->control("Edit9")), "0:00:00");
    EXPECT_EQ(text_of(form->control("Edit11")), "");
    EXPECT_EQ(memo_lines(text_of(form->control("Memo6"))),
              (Lines{"Здесь напишите описание звка, лог изменений ", "или отличия от предыдущей версии."}));
    EXPECT_EQ(text_of(form->control("Edit4")), "Неизвестен");
    EXPECT_EQ(text_of(form->control("Edit5")), "1.00");
    EXPECT_EQ(memo_lines(text_of(form->control("Memo2"))),
              (Lines{"Если импортируемых текстур нет, ", "очистите это поле.", "", "Пример пути к текстуре:",
                     "Textures\\Primer.blp"}));
    EXPECT_EQ(memo_lines(text_of(form->control("Memo5"))),
              (Lines{"HTTP://Скриншот_по_центру_320\u0445200.jpg", "HTTP://Скриншот_Как_ссылка1.jpg ",
                     "HTTP://Скриншот_Как_ссылка2.jpg", "...", "HTTP://Скриншот_Как_ссылка9.jpg"}));
    EXPECT_EQ(text_of(form->control("Memo3")), "");
    EXPECT_EQ(text_of(form->control("Edit3")), "Неизвестен");
    EXPECT_EQ(text_of(form->control("Edit6")), "1.00");
    EXPECT_EQ(text_of(form->control("Memo4")), "");
    for (HWND toggle : {form->control("CheckBox1"), form->control("CheckBox2"), form->control("CheckBox3")})
        EXPECT_TRUE(is_checked(toggle));
    for (HWND combo : {form->control("ComboBox1"), form->control("ComboBox2"), form->control("ComboBox3"),
                       form->control("ComboBox4"), form->control("ComboBox5"), form->control("ComboBox6"),
                       form->control("ComboBox7"), form->control("ComboBox8"), form->control("ComboBox9"),
                       form->control("ComboBox10"), form->control("ComboBox11"), form->control("ComboBox12")}) {
        EXPECT_EQ(text_of(combo), "");
    }

    EXPECT_EQ(text_of(form->Disc1), "Здесь будет краткое описание материала.\r\n");
    EXPECT_EQ(text_of(form->Disc2), joined({
        "Здесь будет полное описание материала. ",
        "Выберите нужную закладку материала и заполните ",
        "предложенные данные.",
        "Кроме данных в выпадающих списках вы можете вводить ",
        "свои данные.",
        "",
        "После окончания заполнения нажмите \"Сформировать код\".",
        "",
        "Сформированный код добавьте в описание материала и ",
        "прикрепите файл в архиве RAR или ZIP.",
        "Выберите нужный раздел для заполнения и после этого ",
        "добавьте материал.",
    }));
}

TEST_F(MainWindow, DatePickersStartOnTheSecondOfNovember2009WithTheirHints) {
    for (HWND picker :
         {form->control("DateTimePicker1"), form->control("DateTimePicker2"), form->control("DateTimePicker3")}) {
        SYSTEMTIME t{};
        ASSERT_EQ(DateTime_GetSystemtime(picker, &t), GDT_VALID);
        EXPECT_EQ(t.wYear, 2009);
        EXPECT_EQ(t.wMonth, 11);
        EXPECT_EQ(t.wDay, 2);
        EXPECT_EQ(t.wHour, 23);
        EXPECT_EQ(t.wMinute, 2);
        EXPECT_EQ(t.wSecond, 26);
        EXPECT_EQ(t.wMilliseconds, 515);
        EXPECT_FALSE(GetWindowLongW(picker, GWL_STYLE) & (DTS_LONGDATEFORMAT | DTS_TIMEFORMAT))
            << "the short date only";
    }

    HWND tooltip = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM found) {
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) *reinterpret_cast<HWND*>(found) = w;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_TRUE(tooltip);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 6);
    const auto hint_of = [&](HWND control) {
        wchar_t text[128] = {};
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = text;
        SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
        return std::wstring(text);
    };
    for (HWND picker :
         {form->control("DateTimePicker1"), form->control("DateTimePicker2"), form->control("DateTimePicker3")}) {
        EXPECT_EQ(hint_of(picker), L"Дата выпуска этой версии карты.");
    }
    for (HWND toggle : {form->control("CheckBox1"), form->control("CheckBox2"), form->control("CheckBox3")}) {
        EXPECT_EQ(hint_of(toggle), L"Если вы не знаете дату выхода версии то снимите галочку");
    }
    EXPECT_EQ(hint_of(form->control("Edit1")), L"");
}

void type_map(TFMain& form, const MapTab& tab) {
    type(form.control("Edit2"), tab.Edit2);
    type(form.control("ComboBox1"), tab.ComboBox1);
    type(form.control("Edit1"), tab.Edit1);
    type(form.control("ComboBox2"), tab.ComboBox2);
    type(form.control("ComboBox3"), tab.ComboBox3);
    type(form.control("ComboBox4"), tab.ComboBox4);
    type(form.control("ComboBox5"), tab.ComboBox5);
    choose(form.control("ComboBox6"), tab.ComboBox6);
    type(form.control("LabeledEdit2"), tab.LabeledEdit2);
    type(form.control("Memo1"), joined(tab.Memo1));
    type(form.control("Edit7"), tab.Edit7);
}

void expect_panes(const TFMain& form, const Description& d) {
    EXPECT_EQ(text_of(form.Disc1), pane(d.short_lines));
    EXPECT_EQ(text_of(form.Disc2), pane(d.full_lines));
}

// A day of November 2009 on the picker; its text in dd.MM.yyyy.
std::string set_day(HWND picker, WORD day) {
    const SYSTEMTIME date = {2009, 11, 0, day, 12, 0, 0, 0};
    DateTime_SetSystemtime(picker, GDT_VALID, &date);
    return (day < 10 ? "0" : "") + std::to_string(day) + ".11.2009";
}

// Each tab reads its own picker and toggle: the three pickers hold three
// dates, and the other tabs' toggles stand against its own.
TEST_F(MainWindow, EachGeneratorButtonWritesItsWorkedExampleIntoBothPanes) {
    const ShortDateFormat russian(L"dd.MM.yyyy");
    const auto set_toggles = [&](HWND own, bool checked) {
        for (HWND t : {form->control("CheckBox1"), form->control("CheckBox2"), form->control("CheckBox3")})
            set_checked(t, (t == own) == checked);
    };

    auto map = examples::map();
    map.DateTimePicker1 = set_day(form->control("DateTimePicker1"), 5);
    for (bool dated : {true, false}) {
        map.CheckBox1 = dated;
        type_map(*form, map);
        set_toggles(form->control("CheckBox1"), dated);
        click(form->Button1);
        expect_panes(*form, describe_map(map));
    }

    const auto sound = examples::sound();
    type(form->control("Edit8"), sound.Edit8);
    type(form->control("Edit9"), sound.Edit9);
    type(form->control("ComboBox12"), sound.ComboBox12);
    type(form->control("ComboBox9"), sound.ComboBox9);
    type(form->control("ComboBox10"), sound.ComboBox10);
    choose(form->control("ComboBox11"), sound.ComboBox11);
    type(form->control("Memo6"), joined(sound.Memo6));
    click(form->Button9);
    expect_panes(*form, describe_sound(sound));

    auto model = examples::model();
    model.DateTimePicker2 = set_day(form->control("DateTimePicker2"), 16);
    type(form->control("Edit4"), model.Edit4);
    type(form->control("Edit5"), model.Edit5);
    type(form->control("Memo2"), joined(model.Memo2));
    type(form->control("Memo5"), joined(model.Memo5));
    type(form->control("Memo3"), joined(model.Memo3));
    set_toggles(form->control("CheckBox2"), model.CheckBox2);
    click(form->Button3);
    expect_panes(*form, describe_model(model));

    auto texture = examples::texture();
    texture.DateTimePicker3 = set_day(form->control("DateTimePicker3"), 27);
    type(form->control("Edit3"), texture.Edit3);
    type(form->control("Edit6"), texture.Edit6);
    choose(form->control("ComboBox7"), texture.ComboBox7);
    choose(form->control("ComboBox8"), texture.ComboBox8);
    type(form->control("Memo4"), joined(texture.Memo4));
    for (bool dated : {false, true}) {
        texture.CheckBox3 = dated;
        set_toggles(form->control("CheckBox3"), dated);
        click(form->Button2);
        expect_panes(*form, describe_texture(texture));
    }
}

TEST_F(MainWindow, APressReplacesThePanesWhollyAndAgainGivesTheSame) {
    type(form->Disc2, "hand-written\r\nlines\r\n");
    click(form->Button2);
    const std::string first_short = text_of(form->Disc1), first_full = text_of(form->Disc2);
    EXPECT_EQ(first_full.find("hand-written"), std::string::npos);
    click(form->Button2);
    EXPECT_EQ(text_of(form->Disc1), first_short);
    EXPECT_EQ(text_of(form->Disc2), first_full);
    EXPECT_TRUE(first_full.ends_with("[/color]\r\n"));
}

TEST_F(MainWindow, CopyButtonsPutTheWholePaneOnTheClipboardAsEdited) {
    click(form->Button7);
    EXPECT_EQ(narrow(clipboard_text()), "Здесь будет краткое описание материала.\r\n");

    click(form->Button1);
    const std::string edited = text_of(form->Disc2) + "Своя строка 😀\r\n";
    type(form->Disc2, edited);
    click(form->Button8);
    EXPECT_EQ(narrow(clipboard_text()), edited);
    DWORD start = 1, end = 0;
    SendMessageW(form->Disc2, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(form->Disc2)));
}

TEST_F(MainWindow, DateTextFollowsTheShortDateFormatAtEachPress) {
    const auto version_line = [&] { return memo_lines(text_of(form->Disc1))[2]; };
    {
        const ShortDateFormat russian(L"dd.MM.yyyy");
        click(form->Button1);
        EXPECT_EQ(version_line(), "[color=Grey]Версия: [/color] [i]1.00 [/i] от [i]02.11.2009[/i]");
    }
    {
        const ShortDateFormat iso(L"yyyy-MM-dd");
        click(form->Button1);
        EXPECT_EQ(version_line(), "[color=Grey]Версия: [/color] [i]1.00 [/i] от [i]2009-11-02[/i]");
    }
    click(form->control("CheckBox1"));
    click(form->Button1);
    EXPECT_EQ(version_line(), "[color=Grey]Версия:[/color] [i]1.00 [/i]");
}

struct Moved {
    int dx, dy, dw, dh;
};

Moved change(RECT before, RECT after) {
    return {after.left - before.left, after.top - before.top,
            (after.right - after.left) - (before.right - before.left),
            (after.bottom - after.top) - (before.bottom - before.top)};
}

bool operator==(Moved a, Moved b) { return a.dx == b.dx && a.dy == b.dy && a.dw == b.dw && a.dh == b.dh; }

void PrintTo(Moved m, std::ostream* os) { *os << "{" << m.dx << ", " << m.dy << ", " << m.dw << ", " << m.dh << "}"; }

class Anchors : public FormTest {
protected:
    // Grows the client area by (dw, dh) and reports how each control moved.
    std::vector<Moved> grow(const std::vector<HWND>& controls, int dw, int dh) {
        std::vector<RECT> before;
        for (HWND c : controls) before.push_back(bounds_in_parent(c));
        RECT outer;
        GetWindowRect(form->handle(), &outer);
        SetWindowPos(form->handle(), nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER);
        pump();
        std::vector<Moved> moved;
        for (std::size_t i = 0; i < controls.size(); ++i) moved.push_back(change(before[i], bounds_in_parent(controls[i])));
        return moved;
    }
};

TEST_F(Anchors, TallerWindowStretchesTheTallControlsAndMovesTheBottomRows) {
    const std::vector<HWND> controls = {form->PageControl1,
                                        form->Disc2,
                                        form->control("Memo1"),
                                        form->control("Memo6"),
                                        form->control("Memo3"),
                                        form->control("Memo4"),
                                        form->control("Edit7"),
                                        form->control("Label27"),
                                        form->Button1,
                                        form->Button4,
                                        form->control("Edit11"),
                                        form->Button9,
                                        form->Button10,
                                        form->Button3,
                                        form->Button5,
                                        form->Button2,
                                        form->Button6,
                                        form->Button8,
                                        form->StatusBar1,
                                        form->Disc1,
                                        form->Button7,
                                        form->control("Edit2"),
                                        form->control("Memo2"),
                                        form->control("Memo5"),
                                        form->control("ComboBox7")};
    const auto moved = grow(controls, 0, 100);
    const Moved taller{0, 0, 0, 100}, down{0, 100, 0, 0}, still{0, 0, 0, 0};
    const std::vector<Moved> expected = {
        taller, taller, taller, taller, taller, taller,
        down, down, down, down, down, down, down,
        down, down, down, down, down, down,
        still, still, still, still, still, still};
    EXPECT_EQ(moved, expected);
    RECT page;
    GetClientRect(form->TabSheet1, &page);
    EXPECT_EQ(page.right, 281) << "pages never change width";
    EXPECT_EQ(page.bottom, 613);
}

TEST_F(Anchors, WiderWindowWidensThePanesAndMovesTheCopyButtons) {
    const std::vector<HWND> controls = {form->Disc1, form->Disc2, form->StatusBar1, form->Button7, form->Button8,
                                        form->PageControl1, form->control("Memo1"), form->Label12, form->Label13};
    const auto moved = grow(controls, 100, 0);
    const Moved wider{0, 0, 100, 0}, right{100, 0, 0, 0}, still{0, 0, 0, 0};
    EXPECT_EQ(moved, (std::vector<Moved>{wider, wider, wider, right, right, still, still, still, still}));
}

TEST_F(Anchors, DistancesToTheEdgesAtTheStartingSize) {
    RECT client;
    GetClientRect(form->handle(), &client);
    const auto gap_right = [&](HWND c) { return client.right - bounds_in_parent(c).right; };
    const auto gap_bottom = [&](HWND c) { return client.bottom - bounds_in_parent(c).bottom; };
    EXPECT_EQ(gap_bottom(form->PageControl1), 26);
    EXPECT_EQ(gap_right(form->Disc1), 7);
    EXPECT_EQ(gap_right(form->Disc2), 7);
    EXPECT_EQ(gap_bottom(form->Disc2), 42);
    EXPECT_EQ(gap_right(form->Button7), 5);
    EXPECT_EQ(gap_right(form->Button8), 5);
    EXPECT_EQ(gap_bottom(form->Button8), 18);
}

TEST_F(Anchors, ShrinkingBelowTheStartingSizeLosesNothingForGood) {
    grow({}, -500, -500);
    grow({}, 500, 500);
    EXPECT_EQ(bounds_in_parent(form->Disc2).right - bounds_in_parent(form->Disc2).left, 337);
    EXPECT_EQ(bounds_in_parent(form->Button8).top, 546);
    EXPECT_TRUE(IsWindowVisible(form->Button1));
}

TEST_F(MainWindow, TabOrderFollowsTheDefinition) {
    const auto next = [&](HWND from) { return GetNextDlgTabItem(form->handle(), from, FALSE); };
    EXPECT_EQ(next(form->control("ComboBox1")), form->control("Edit1"));
    EXPECT_EQ(next(form->control("Edit1")), form->control("DateTimePicker1"));
    EXPECT_EQ(next(form->control("DateTimePicker1")), form->control("ComboBox2"));
    EXPECT_EQ(next(form->control("LabeledEdit2")), form->control("Edit2")) << "the author box comes twelfth";
    EXPECT_EQ(next(form->control("Edit2")), form->control("CheckBox1"));
    EXPECT_EQ(next(form->PageControl1), form->control("ComboBox1"));
    EXPECT_EQ(next(form->Button4), form->Disc1);
    EXPECT_EQ(next(form->Disc1), form->Disc2);
    EXPECT_EQ(next(form->Disc2), form->Button7);
    EXPECT_EQ(next(form->Button7), form->Button8);
    EXPECT_EQ(next(form->Button8), form->PageControl1);

    form->select_page(1);
    EXPECT_EQ(next(form->PageControl1), form->control("Edit8"));
    EXPECT_EQ(next(form->control("ComboBox12")), form->Disc1) << "the type box comes last";
    form->select_page(3);
    EXPECT_EQ(next(form->control("Edit3")), form->control("CheckBox3")) << "the toggle comes second";
}

// Each kind of control as the form describes it, written out apart from the
// code that builds it: the window class, and the bits of its style that say
// what the control is (the type in the low bits, for buttons, combo boxes
// and labels). Every control is shown from the start but the pages not chosen.
struct Look {
    const wchar_t* window_class;
    DWORD type_mask, type, required;
};

Look designed_look(Kind kind) {
    switch (kind) {
        case Kind::Label: return {L"Static", 0, 0, 0};
        case Kind::Edit: return {L"Edit", ES_MULTILINE, 0, WS_TABSTOP | ES_AUTOHSCROLL};
        case Kind::Combo: return {L"ComboBox", 3, CBS_DROPDOWN, WS_TABSTOP};
        case Kind::DropList: return {L"ComboBox", 3, CBS_DROPDOWNLIST, WS_TABSTOP};
        // Lines never wrap; Enter breaks the line.
        case Kind::Memo: return {L"Edit", 0, 0, WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN};
        case Kind::Button: return {L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP};
        case Kind::DateToggle: return {L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, WS_TABSTOP};
        case Kind::DatePicker:
            return {L"SysDateTimePick32", DTS_LONGDATEFORMAT | DTS_TIMEFORMAT, DTS_SHORTDATEFORMAT, WS_TABSTOP};
        case Kind::PageControl: return {L"SysTabControl32", 0, 0, WS_TABSTOP};
        case Kind::TabSheet: return {L"TTabSheet", 0, 0, 0};
        case Kind::StatusBar: return {L"msctls_statusbar32", 0, 0, 0};
        case Kind::MenuBar: break;
    }
    return {nullptr, 0, 0, 0};
}

TEST_F(MainWindow, EachControlIsOfItsKindWithItsScrollBarsAndAlignmentAndShows) {
    // Every memo has both scroll bars but these.
    const std::vector<std::pair<HWND, DWORD>> bars = {{form->Disc1, WS_HSCROLL}, {form->control("Memo5"), WS_VSCROLL}};
    const std::vector<HWND> aligned_right = {
        form->control("Label1"),  form->control("Label2"),  form->control("Label4"), form->control("Label5"),
        form->control("Label6"),  form->control("Label7"),  form->control("Label8"), form->control("Label27"),
        form->control("Label33"), form->control("Label17"), form->control("Label19")};
    for (const ControlRow& row : main_window_rows()) {
        HWND control = form->control(row);
        const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        const bool hidden_page = row.kind == Kind::TabSheet && control != form->TabSheet1;
        EXPECT_EQ((style & WS_VISIBLE) == 0, hidden_page) << narrow(row.text);
        if (row.kind == Kind::MenuBar) continue;
        const Look look = designed_look(row.kind);
        wchar_t name[64] = {};
        GetClassNameW(control, name, 64);
        const std::string what = narrow(name) + " " + narrow(row.text);
        EXPECT_EQ(lstrcmpiW(name, look.window_class), 0) << what;
        EXPECT_EQ(style & look.type_mask, look.type) << what;
        EXPECT_EQ(style & look.required, look.required) << what;
        if (row.kind == Kind::Memo) {
            const auto own = std::ranges::find(bars, control, &std::pair<HWND, DWORD>::first);
            EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL), own == bars.end() ? WS_HSCROLL | WS_VSCROLL : own->second)
                << what;
        }
        if (row.kind == Kind::Label) {
            const bool right = std::ranges::find(aligned_right, control) != aligned_right.end();
            EXPECT_EQ((style & SS_TYPEMASK) == SS_RIGHT, right) << what;
        }
    }
}

// A key as the message loop hands it on: first to the dialog navigation.
void press_key(HWND window, HWND focus, UINT key) {
    MSG down = {focus, WM_KEYDOWN, key, 0, 0, {}};
    if (!IsDialogMessageW(window, &down)) {
        TranslateMessage(&down);
        DispatchMessageW(&down);
    }
    pump();
}

TEST_F(MainWindow, TabMovesOnFromAMultiLineBoxAndEnterBreaksTheLine) {
    SetFocus(form->control("Memo1"));
    type(form->control("Memo1"), "");
    press_key(form->handle(), form->control("Memo1"), VK_TAB);
    EXPECT_EQ(GetFocus(), form->Button1) << "the next control in the tab order";
    EXPECT_EQ(text_of(form->control("Memo1")), "");
    SetFocus(form->control("Memo1"));
    press_key(form->handle(), form->control("Memo1"), VK_RETURN);
    EXPECT_EQ(text_of(form->control("Memo1")), "\r\n");
}

HFONT font_of(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

bool intersect(RECT a, RECT b) {
    RECT common;
    return IntersectRect(&common, &a, &b);
}

RECT rect_of(Bounds b) { return {b.left, b.top, b.left + b.width, b.top + b.height}; }

// Whatever font and density the system gives, every label and caption reads
// whole inside its parent, and no two controls overlap that do not overlap
// in the design.
void expect_whole_and_apart(const TFMain& form) {
    const HFONT font = font_of(form.control("Label1"));
    const auto rows = main_window_rows();
    for (const ControlRow& row : rows) {
        HWND control = form.control(row);
        const RECT r = bounds_in_parent(control);
        if (row.kind == Kind::Label && *row.text) {
            EXPECT_GE(r.left, 0) << narrow(row.text);
            EXPECT_LE(r.right, client_size(GetParent(control)).cx) << narrow(row.text);
            const SIZE text = text_size(font, row.text);
            EXPECT_LE(text.cx, r.right - r.left) << narrow(row.text);
            EXPECT_LE(text.cy, r.bottom - r.top) << narrow(row.text);
        }
        if (row.kind == Kind::Button) {  // its frame and focus rectangle take some 3 pixels a side
            EXPECT_LE(text_size(font, row.text).cx + 6, r.right - r.left) << narrow(row.text);
        }
        for (const ControlRow& other : rows) {
            if (&other == &row || other.parent != row.parent || intersect(rect_of(row.bounds), rect_of(other.bounds))) {
                continue;
            }
            EXPECT_FALSE(intersect(r, bounds_in_parent(form.control(other))))
                << narrow(row.text) << " runs into " << narrow(other.text) << " at " << r.left << "," << r.top;
        }
    }
    for (int i = 0; i < TabCtrl_GetItemCount(form.PageControl1); ++i) {
        RECT tab;
        TabCtrl_GetItemRect(form.PageControl1, i, &tab);
        EXPECT_LE(tab.right, client_size(form.PageControl1).cx) << "tab " << i;
    }
}

TEST_F(MainWindow, EveryLabelAndCaptionReadsWholeAndNothingRunsIntoItsNeighbour) {
    expect_whole_and_apart(*form);
}

// The design's bounds laid out at the window's scale: every edge within a
// pixel or two (none at 96 dpi in the designed face); a label at least that
// large, its aligned edge kept; the status bar's panels at the same scale;
// both fonts 8 pt at `dpi`. In the designed face the scale is the density's.
// A substitute face widens it by a measure of its own, read here from the
// client area, which must be at least the density's.
void expect_laid_out(const TFMain& form, int dpi) {
    LOGFONTW chosen{};
    GetObjectW(font_of(form.control("Label1")), sizeof chosen, &chosen);
    const bool designed = lstrcmpiW(chosen.lfFaceName, L"MS Sans Serif") == 0;
    const SIZE client = client_size(form.handle());
    const double density = dpi / 96.0;
    const double sx = designed ? density : client.cx / 640.0, sy = designed ? density : client.cy / 589.0;
    const int slack = designed && dpi == 96 ? 0 : 2;
    const auto within = [&](int actual, double expected) { return std::abs(actual - expected) <= slack; };
    if (designed) {
        EXPECT_TRUE(within(client.cx, 640 * density) && within(client.cy, 589 * density))
            << client.cx << " x " << client.cy;
    } else {
        EXPECT_TRUE(client.cx >= MulDiv(640, dpi, 96) && client.cy >= MulDiv(589, dpi, 96))
            << client.cx << " x " << client.cy;
    }
    for (const ControlRow& row : main_window_rows()) {
        const RECT r = bounds_in_parent(form.control(row));
        const Bounds& d = row.bounds;
        const std::string name = narrow(row.text) + " designed at " + std::to_string(d.left) + "," + std::to_string(d.top);
        EXPECT_TRUE(within(r.top, d.top * sy)) << name << ": top " << r.top;
        if (row.kind == Kind::Label) {
            // One aligned right grows leftwards, up to the page's edge.
            const bool kept = row.style & SS_RIGHT ? within(r.right, (d.left + d.width) * sx) || r.left == 0
                                                   : within(r.left, d.left * sx);
            EXPECT_TRUE(kept) << name << ": " << r.left << " to " << r.right;
            EXPECT_GE(r.right - r.left, d.width * sx - slack) << name;
            EXPECT_GE(r.bottom - r.top, d.height * sy - slack) << name;
            continue;
        }
        EXPECT_TRUE(within(r.left, d.left * sx)) << name << ": left " << r.left;
        EXPECT_TRUE(within(r.right, (d.left + d.width) * sx)) << name << ": right " << r.right;
        EXPECT_TRUE(within(r.bottom, (d.top + d.height) * sy)) << name << ": bottom " << r.bottom;
    }
    int edges[3] = {};
    SendMessageW(form.StatusBar1, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    EXPECT_TRUE(within(edges[0], 50 * sx) && within(edges[1], 550 * sx)) << edges[0] << ", " << edges[1];
    for (HWND control : {form.control("Label1"), form.ActionMainMenuBar1}) {
        LOGFONTW font{};
        GetObjectW(font_of(control), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -MulDiv(8, dpi, 72)) << "8 pt at " << dpi << " dpi";
    }
}

// At whatever density the system runs, 8 pt: in the designed face where its
// bitmaps have that size, laid out by the density alone; else in a scalable
// face, the layout made roomier for it.
TEST_F(MainWindow, LaidOutAtTheSystemsDensity) {
    const int dpi = window_dpi(form->handle());
    if (dpi == 96) {
        ASSERT_TRUE(is_exactly(font_of(form->control("Label1")), L"MS Sans Serif")) << "the program's home";
    }
    expect_laid_out(*form, dpi);
    RECT outer;
    GetWindowRect(form->handle(), &outer);
    EXPECT_EQ(outer.left, MulDiv(192, dpi, 96));
    EXPECT_EQ(outer.top, MulDiv(110, dpi, 96));
}

// As the system does when the window is dragged to another monitor: the new
// density, and a rectangle whose client area is the layout's at it.
void move_to_density(HWND window, int dpi) {
    RECT outer;
    GetWindowRect(window, &outer);
    const SIZE client = client_size(window);
    const SIZE wanted = {MulDiv(640, dpi, 96), MulDiv(589, dpi, 96)};
    RECT suggested = {outer.left, outer.top, outer.right + wanted.cx - client.cx,
                      outer.bottom + wanted.cy - client.cy};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    pump();
}

TEST_F(MainWindow, LaidOutAgainOnAMonitorOfAnotherDensityKeepingWhatWasTyped) {
    const int dpi = window_dpi(form->handle());
    // Up from the design's density, down from any other; within the screen.
    const int other = dpi == 96 ? 144 : 96;
    type(form->control("Edit2"), "Автор");
    type(form->control("Memo1"), "первая\r\nвторая\r\n");
    choose(form->control("ComboBox1"), "Кампания");
    move_to_density(form->handle(), other);
    expect_laid_out(*form, other);
    expect_whole_and_apart(*form);
    EXPECT_EQ(text_of(form->control("Edit2")), "Автор");
    EXPECT_EQ(text_of(form->control("Memo1")), "первая\r\nвторая\r\n");
    EXPECT_EQ(text_of(form->control("ComboBox1")), "Кампания");

    move_to_density(form->handle(), dpi);
    expect_laid_out(*form, dpi);
    expect_whole_and_apart(*form);
    EXPECT_EQ(text_of(form->control("Edit2")), "Автор");
}

// Holds Ctrl (and Shift) down for this thread's keyboard state while alive.
class HeldKeys {
public:
    explicit HeldKeys(bool shift) {
        GetKeyboardState(saved_);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
        if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256] = {};
};

void press_through_loop(UINT key, bool shift = false) {
    const HeldKeys held(shift);
    MSG down = {GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    dispatch_message(down);
    pump();
}

TEST_F(MainWindow, CtrlTabAndCtrlPageKeysSwitchPagesRoundAndFocusTheirFirstField) {
    SetFocus(form->control("Memo1"));
    press_through_loop(VK_TAB);
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 1);
    EXPECT_TRUE(IsWindowVisible(form->TabSheet2));
    EXPECT_FALSE(IsWindowVisible(form->TabSheet1));
    EXPECT_EQ(GetFocus(), form->control("Edit8"));
    EXPECT_EQ(text_of(form->control("Memo1")),
              "Здесь напишите правила игры, лог изменений \r\nили отличия от предыдущей версии.\r\n")
        << "the key is not typed into the box";
    press_through_loop(VK_NEXT);
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 2);
    EXPECT_EQ(GetFocus(), form->control("Edit4"));
    press_through_loop(VK_TAB, true);
    press_through_loop(VK_PRIOR);
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 0);
    EXPECT_TRUE(IsChild(form->control("ComboBox1"), GetFocus())) << "the maps page starts at the genre box";
    press_through_loop(VK_PRIOR);
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 3) << "wraps round";
    EXPECT_EQ(GetFocus(), form->control("Edit3"));
    press_through_loop(VK_TAB);
    EXPECT_EQ(TabCtrl_GetCurSel(form->PageControl1), 0);
}

TEST(ApplicationWindow, BearsTheTitleAndOwnsTheMainWindow) {
    init_common_controls();
    Application application(L"Tessivar");
    TFMain main_window(application.handle());
    wchar_t title[32] = {};
    GetWindowTextW(application.handle(), title, 32);
    EXPECT_STREQ(title, L"Tessivar");
    EXPECT_EQ(GetWindow(main_window.handle(), GW_OWNER), application.handle());

    application.show_main_window(main_window.handle(), SW_SHOWNORMAL);
    pump();
    EXPECT_TRUE(IsWindowVisible(main_window.handle()));
    EXPECT_FALSE(IsZoomed(main_window.handle()));
    SendMessageW(main_window.handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    pump();
    EXPECT_TRUE(IsIconic(application.handle()));
    EXPECT_FALSE(IsWindowVisible(main_window.handle()));
    ShowWindow(application.handle(), SW_RESTORE);
    pump();
    EXPECT_TRUE(IsWindowVisible(main_window.handle()));
    EXPECT_FALSE(IsIconic(main_window.handle()));
}

// Started minimised, only the taskbar button shows; restoring it brings the window.
TEST(ApplicationWindow, AMinimisedStartShowsOnlyTheTaskbarButton) {
    init_common_controls();
    Application application(L"Tessivar");
    TFMain main_window(application.handle());
    application.show_main_window(main_window.handle(), SW_SHOWMINNOACTIVE);
    pump();
    EXPECT_TRUE(IsIconic(application.handle()));
    EXPECT_FALSE(IsWindowVisible(main_window.handle()));
    ShowWindow(application.handle(), SW_RESTORE);
    pump();
    EXPECT_TRUE(IsWindowVisible(main_window.handle()));
}

}  // namespace
}  // namespace tessivar::testing
