// The "Очистить" buttons and the lists of the combo boxes they must keep.
#include "form_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>


namespace tessivar::testing {
namespace {

using Field = HWND TFMain::*;

std::vector<std::string> items_of(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(narrow(item));
    }
    return items;
}

// All a user can tell of a control.
struct Look {
    std::string text;
    bool enabled = false;
    bool checked = false;              // toggles
    std::array<WORD, 3> date{};        // pickers: year, month, day
    std::vector<std::string> items;    // combo boxes
    LRESULT chosen = CB_ERR;           // combo boxes
    bool operator==(const Look&) const = default;
};

void PrintTo(const Look& look, std::ostream* os) {
    *os << "{\"" << look.text << "\", enabled " << look.enabled << ", checked " << look.checked << ", "
        << look.date[0] << "-" << look.date[1] << "-" << look.date[2] << ", " << look.items.size()
        << " items, chosen " << look.chosen << "}";
}

Look look_of(HWND control, Kind kind) {
    Look look;
    look.text = text_of(control);
    look.enabled = IsWindowEnabled(control) != FALSE;
    switch (kind) {
        case Kind::DateToggle:
            look.checked = is_checked(control);
            break;
        case Kind::DatePicker: {
            SYSTEMTIME t{};
            DateTime_GetSystemtime(control, &t);
            look.date = {t.wYear, t.wMonth, t.wDay};
            break;
        }
        case Kind::Combo:
        case Kind::DropList:
            look.items = items_of(control);
            look.chosen = SendMessageW(control, CB_GETCURSEL, 0, 0);
            break;
        case Kind::StatusBar:
            for (int panel = 0; panel < 3; ++panel) look.text += "|" + narrow(status_panel_text(control, panel));
            break;
        default:
            break;
    }
    return look;
}

// Every control of the window, in the order of its definition.
std::vector<Look> looks(const TFMain& form) {
    std::vector<Look> all;
    for (const ControlRow& row : main_window_rows()) all.push_back(look_of(form.*row.member, row.kind));
    return all;
}

// Something in every field of every tab, a landscape chosen, and two of the
// three dates switched off.
void fill_every_tab(TFMain& form) {
    int n = 0;
    for (const ControlRow& row : main_window_rows()) {
        HWND control = form.*row.member;
        if (row.kind == Kind::Edit || row.kind == Kind::Memo) type(control, "поле " + std::to_string(++n));
        if (row.kind == Kind::Combo || row.kind == Kind::DropList) SendMessageW(control, CB_SETCURSEL, 1, 0);
    }
    click(form.CheckBox1);
    click(form.CheckBox3);
}

struct ClearButton {
    const char* name;
    int page;
    Field button;
    std::vector<Field> emptied;
};

void PrintTo(const ClearButton& button, std::ostream* os) { *os << button.name; }

const ClearButton kClearButtons[] = {
    {"Maps", 0, &TFMain::Button4,
     {&TFMain::Edit2, &TFMain::ComboBox1, &TFMain::Edit1, &TFMain::ComboBox2, &TFMain::ComboBox3,
      &TFMain::ComboBox4, &TFMain::ComboBox5, &TFMain::LabeledEdit2, &TFMain::Memo1, &TFMain::Edit7}},
    {"Sounds", 1, &TFMain::Button10,
     {&TFMain::Edit8, &TFMain::Edit9, &TFMain::ComboBox9, &TFMain::ComboBox10, &TFMain::ComboBox11,
      &TFMain::ComboBox12, &TFMain::Memo6}},
    {"Models", 2, &TFMain::Button5,
     {&TFMain::Edit4, &TFMain::Edit5, &TFMain::Memo2, &TFMain::Memo5, &TFMain::Memo3}},
    {"Textures", 3, &TFMain::Button6,
     {&TFMain::Memo4, &TFMain::Edit3, &TFMain::Edit6, &TFMain::ComboBox7, &TFMain::ComboBox8}},
};

class ClearButtons : public FormTest, public ::testing::WithParamInterface<ClearButton> {
protected:
    void press() {
        form->select_page(GetParam().page);
        click(form.get()->*GetParam().button);
    }
    bool emptied(Field field) const {
        const auto& fields = GetParam().emptied;
        return std::find(fields.begin(), fields.end(), field) != fields.end();
    }
};

TEST_P(ClearButtons, EmptyTheirOwnFieldsOnlyAndTwiceIsOnce) {
    fill_every_tab(*form);
    std::vector<Look> expected = looks(*form);
    const auto rows = main_window_rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!emptied(rows[i].member)) continue;
        expected[i].text.clear();
        expected[i].chosen = CB_ERR;
    }

    press();
    const std::vector<Look> once = looks(*form);
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(once[i], expected[i]) << "row " << i;
    press();
    EXPECT_EQ(looks(*form), once);
}

INSTANTIATE_TEST_SUITE_P(Each, ClearButtons, ::testing::ValuesIn(kClearButtons),
                         [](const auto& info) { return std::string(info.param.name); });

using ClearedTabs = FormTest;

TEST_F(ClearedTabs, MapDescriptionNamesNoAuthorAndTheGenresStay) {
    click(form->Button4);
    click(form->Button1);
    EXPECT_EQ(memo_lines(text_of(form->Disc1))[0], "[color=Grey]Автор карты:[/color] [color=red][/color]");
    const auto genres = items_of(form->ComboBox1);
    ASSERT_EQ(genres.size(), 10u);
    EXPECT_EQ(genres[0], "AoS");
}

TEST_F(ClearedTabs, ModelDescriptionSaysThereAreNoImportedTextures) {
    form->select_page(2);
    click(form->Button5);
    click(form->Button3);
    const Lines lines = memo_lines(text_of(form->Disc1));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "[color=Yellow]Импортируемые текстуры: [/color] Нет");
}

using ComboLists = FormTest;

TEST_F(ComboLists, FilledAtStartKeptWhenTypingAndTheLandscapeTakesOnlyItsItems) {
    const std::pair<Field, std::size_t> sizes[] = {
        {&TFMain::ComboBox1, 10}, {&TFMain::ComboBox2, 9},  {&TFMain::ComboBox3, 18},
        {&TFMain::ComboBox4, 4},  {&TFMain::ComboBox5, 5},  {&TFMain::ComboBox6, 18},
        {&TFMain::ComboBox7, 2},  {&TFMain::ComboBox8, 2},  {&TFMain::ComboBox9, 5},
        {&TFMain::ComboBox10, 9}, {&TFMain::ComboBox11, 7}, {&TFMain::ComboBox12, 4},
    };
    for (const auto& [combo, size] : sizes) {
        EXPECT_EQ(text_of(form.get()->*combo), "");
        EXPECT_EQ(items_of(form.get()->*combo).size(), size);
    }

    SendMessageW(form->ComboBox11, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(text_of(form->ComboBox11), "8 000 Hz)");
    SendMessageW(form->ComboBox5, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(widen(text_of(form->ComboBox5)), L"32\u044532") << "a Cyrillic х";

    type(form->ComboBox1, "Своя игра");
    EXPECT_EQ(text_of(form->ComboBox1), "Своя игра");
    EXPECT_EQ(items_of(form->ComboBox1).size(), 10u);

    EXPECT_EQ(GetWindowLongW(form->ComboBox6, GWL_STYLE) & CBS_DROPDOWNLIST, CBS_DROPDOWNLIST);
    type(form->ComboBox6, "Марс");
    EXPECT_EQ(text_of(form->ComboBox6), "");
}

}  // namespace
}  // namespace tessivar::testing
