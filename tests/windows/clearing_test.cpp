// The "Очистить" buttons and the lists of the combo boxes they must keep.
#include "form_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <string_view>
#include <vector>


namespace tessivar::testing {
namespace {

using Field = std::string_view;

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
    for (const ControlRow& row : main_window_rows()) all.push_back(look_of(form.control(row), row.kind));
    return all;
}

// Something in every field of every tab, a landscape chosen, and two of the
// three dates switched off.
void fill_every_tab(TFMain& form) {
    int n = 0;
    for (const ControlRow& row : main_window_rows()) {
        HWND control = form.control(row);
        if (row.kind == Kind::Edit || row.kind == Kind::Memo) type(control, "поле " + std::to_string(++n));
        if (row.kind == Kind::Combo || row.kind == Kind::DropList) SendMessageW(control, CB_SETCURSEL, 1, 0);
    }
    click(form.control("CheckBox1"));
    click(form.control("CheckBox3"));
}

struct ClearButton {
    const char* name;
    int page;
    HWND TFMain::*button;
    std::vector<Field> emptied;
};

void PrintTo(const ClearButton& button, std::ostream* os) { *os << button.name; }

const ClearButton kClearButtons[] = {
    {"Maps", 0, &TFMain::Button4,
     {"Edit2", "ComboBox1", "Edit1", "ComboBox2", "ComboBox3",
      "ComboBox4", "ComboBox5", "LabeledEdit2", "Memo1", "Edit7"}},
    {"Sounds", 1, &TFMain::Button10,
     {"Edit8", "Edit9", "ComboBox9", "ComboBox10", "ComboBox11",
      "ComboBox12", "Memo6"}},
    {"Models", 2, &TFMain::Button5,
     {"Edit4", "Edit5", "Memo2", "Memo5", "Memo3"}},
    {"Textures", 3, &TFMain::Button6,
     {"Memo4", "Edit3", "Edit6", "ComboBox7", "ComboBox8"}},
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
        if (!emptied(rows[i].name)) continue;
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
    const auto genres = items_of(form->control("ComboBox1"));
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
        {"ComboBox1", 10}, {"ComboBox2", 9},  {"ComboBox3", 18},
        {"ComboBox4", 4},  {"ComboBox5", 5},  {"ComboBox6", 18},
        {"ComboBox7", 2},  {"ComboBox8", 2},  {"ComboBox9", 5},
        {"ComboBox10", 9}, {"ComboBox11", 7}, {"ComboBox12", 4},
    };
    for (const auto& [combo, size] : sizes) {
        EXPECT_EQ(text_of(form->control(combo)), "");
        EXPECT_EQ(items_of(form->control(combo)).size(), size);
    }

    SendMessageW(form->control("ComboBox11"), CB_SETCURSEL, 0, 0);
    EXPECT_EQ(text_of(form->control("ComboBox11")), "8 000 Hz)");
    SendMessageW(form->control("ComboBox5"), CB_SETCURSEL, 0, 0);
    EXPECT_EQ(widen(text_of(form->control("ComboBox5"))), L"32\u044532") << "a Cyrillic х";

    type(form->control("ComboBox1"), "Своя игра");
    EXPECT_EQ(text_of(form->control("ComboBox1")), "Своя игра");
    EXPECT_EQ(items_of(form->control("ComboBox1")).size(), 10u);

    EXPECT_EQ(GetWindowLongW(form->control("ComboBox6"), GWL_STYLE) & CBS_DROPDOWNLIST, CBS_DROPDOWNLIST);
    type(form->control("ComboBox6"), "Марс");
    EXPECT_EQ(text_of(form->control("ComboBox6")), "");
}

}  // namespace
}  // namespace tessivar::testing
