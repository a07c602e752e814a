// The kept form's rules as tables: which stored values read back, what a
// save writes, a journal entry's fields, and the search's folding.
#include <gtest/gtest.h>

#include "snapshot/form_state.h"
#include "snapshot/journal_fields.h"

namespace tessivar::snapshot {
namespace {

TEST(Snapshot, StoredValuesReadBackOnlyAsWritten) {
    struct Case {
        FieldKind kind;
        std::string text;
        bool read;
    } cases[] = {
        {FieldKind::Text, "Пётр, 😀 and a\r\nsecond line", true},
        {FieldKind::Text, "", true},
        {FieldKind::Text, "\xED\xA0\x80 lone high surrogate", true},  // as the controls may hold it
        {FieldKind::Text, "\xED\xA0\x80\xED\xB0\x80", false},         // a pair would be one character
        {FieldKind::Text, std::string("a\0b", 3), false},
        {FieldKind::Text, "\xC0\x80", false},  // an overlong NUL
        {FieldKind::Text, "\xD0", false},      // cut short
        {FieldKind::Text, "\xF4\x90\x80\x80", false},  // past U+10FFFF
        {FieldKind::Toggle, "1", true},
        {FieldKind::Toggle, "0", true},
        {FieldKind::Toggle, "2", false},
        {FieldKind::Toggle, "", false},
        {FieldKind::Date, "2024-02-29", true},
        {FieldKind::Date, "2023-02-29", false},
        {FieldKind::Date, "1900-02-29", false},
        {FieldKind::Date, "2000-02-29", true},
        {FieldKind::Date, "1600-12-31", false},
        {FieldKind::Date, "2024-13-01", false},
        {FieldKind::Date, "2024-1-01", false},
        {FieldKind::Date, "2024-04-31", false},
        {FieldKind::Page, "3", true},
        {FieldKind::Page, "4", false},
        {FieldKind::Page, "03", false},
        {FieldKind::Placement, "-1920 0 -1000 700 1", true},
        {FieldKind::Placement, "192 110 850 740 0", true},
        {FieldKind::Placement, "192 110 192 740 0", false},   // no width
        {FieldKind::Placement, "192 110 850 740 2", false},
        {FieldKind::Placement, "192 110 850 740", false},
        {FieldKind::Placement, "0192 110 850 740 0", false},  // not as written
        {FieldKind::Placement, "-0 110 850 740 0", false},
        {FieldKind::Placement, "192  110 850 740 0", false},
        {FieldKind::Placement, "0 0 99999999999 740 0", false},
    };
    for (const Case& c : cases) {
        const auto value = checked_value(c.kind, c.text);
        EXPECT_EQ(value.has_value(), c.read) << c.text;
        if (value) {
            EXPECT_EQ(*value, c.text);
        }
    }
}

TEST(Snapshot, DatesAndPlacementsRoundTrip) {
    EXPECT_EQ(stored_date({2007, 3, 9}), "2007-03-09");
    EXPECT_EQ(read_date("2007-03-09"), (Date{2007, 3, 9}));
    const Placement p{-1920, -8, -900, 700, true};
    EXPECT_EQ(read_placement(stored_placement(p)), p);
}

TEST(Snapshot, PlacementOnAMonitorThatIsGoneComesOntoTheScreen) {
    const Placement screen{0, 0, 1024, 738, false};
    struct Case {
        Placement left, expected;
    } cases[] = {
        {{100, 100, 700, 600, false}, {100, 100, 700, 600, false}},     // already there
        {{-1700, 50, -1000, 650, true}, {0, 50, 700, 650, true}},       // a monitor to the left
        {{1900, 900, 2500, 1500, false}, {424, 138, 1024, 738, false}},  // below and right
        {{-10, -10, 3000, 2000, false}, {0, 0, 1024, 738, false}},      // larger than the screen
    };
    for (const Case& c : cases) EXPECT_EQ(onto_screen(c.left, screen), c.expected) << c.left.left;
}

TEST(Snapshot, ASaveWritesOnlyWhatChanged) {
    Snapshot before, after;
    const std::size_t memo = field_named("Memo1"), author = field_named("Edit2"), page = field_named("PageControl1");
    before.values[memo] = "rules";
    before.values[author] = "Пётр";
    after = before;
    EXPECT_TRUE(changed_fields(before, after).empty());
    after.values[memo] = "rules, and more";
    after.values[page] = "2";
    EXPECT_EQ(changed_fields(before, after), (std::vector<std::size_t>{memo, page}));
    after.values[author].reset();  // not read this time: nothing to write for it
    EXPECT_EQ(changed_fields(before, after), (std::vector<std::size_t>{memo, page}));
}

TEST(Snapshot, EveryTabsFieldsAreItsOwnAndTheJournalColumnsAmongThem) {
    std::size_t on_tabs = 0;
    for (Tab tab : {Tab::Maps, Tab::Sounds, Tab::Models, Tab::Textures}) {
        for (std::size_t index : tab_fields(tab)) EXPECT_EQ(form_fields()[index].tab, tab);
        on_tabs += tab_fields(tab).size();
        EXPECT_EQ(form_fields()[first_memo_field(tab)].tab, tab);
        if (auto author = author_field(tab)) {
            EXPECT_EQ(form_fields()[*author].tab, tab);
        }
    }
    EXPECT_EQ(on_tabs, form_fields().size() - 5);  // the panes, the page, two placements
    EXPECT_FALSE(author_field(Tab::Sounds));
    EXPECT_EQ(form_fields()[*version_field(Tab::Textures)].name, "Edit6");
}

TEST(Snapshot, JournalFieldsRoundTripAndReadBackWithSuspicion) {
    Snapshot form;
    form.values[field_named("Edit2")] = "a=b\\n\tc";
    form.values[field_named("Memo1")] = "line 1\r\nline 2\r\n";
    form.values[field_named("CheckBox1")] = "0";
    form.values[field_named("DateTimePicker1")] = "2024-05-06";
    form.values[field_named("Edit4")] = "a models field, not the map's";
    const std::string stored = stored_fields(Tab::Maps, form);
    EXPECT_EQ(stored, "Edit2=a=b\\\\n\\tc\nCheckBox1=0\nDateTimePicker1=2024-05-06\nMemo1=line 1\\r\\nline 2\\r\\n\n");
    Snapshot expected = form;
    expected.values[field_named("Edit4")].reset();
    EXPECT_EQ(read_fields(Tab::Maps, stored), expected);
    EXPECT_TRUE(same_fields(Tab::Maps, form, expected));
    EXPECT_FALSE(same_fields(Tab::Models, form, expected));

    const char* refused[] = {
        "Edit2=x",                      // no break at the end
        "Edit4=x\n",                    // another tab's field
        "Edit2=x\nEdit2=y\n",           // twice
        "Memo1=x\nEdit2=y\n",           // out of order
        "Edit2=a\\qb\n",                // no such escape
        "Edit2=a\\\n",                  // an escape cut short
        "Edit2=a\tb\n",                 // a tab written as it is
        "CheckBox1=yes\n",              // not a toggle
        "Nothing=1\n",
        "Edit2\n",
    };
    for (const char* text : refused) EXPECT_FALSE(read_fields(Tab::Maps, text)) << text;
    EXPECT_EQ(read_fields(Tab::Maps, ""), Snapshot{});
}

TEST(Snapshot, SearchFoldsCaseInEveryScriptAndYoAsYe) {
    struct Case {
        std::string text, folded;
    } cases[] = {
        {"ABC xyz 123", "abc xyz 123"},
        {"ПЁТР Ёлкин ёж", "петр елкин еж"},
        {"ÀÉÎÕÜ ×", "àéîõü ×"},
        {"ĀĆĘŁŃŒŠŽŸ", "āćęłńœšžÿ"},
        {"ΑΒΓ ΆΈΏ ΣΊΣΥΦΟΣ ς", "αβγ άέώ σίσυφοσ σ"},
        {"ЄЇЎЂ ҐӘӨ Ӏ", "єїўђ ґәө ӏ"},
        {"日本 😀", "日本 😀"},
        {"\xD0 broken \xFF", "\xD0 broken \xFF"},
    };
    for (const Case& c : cases) EXPECT_EQ(fold(c.text), c.folded) << c.text;
}

TEST(Snapshot, SearchableTextHoldsTheTabsTextsFolded) {
    Snapshot form;
    form.values[field_named("Edit8")] = "Гром";
    form.values[field_named("Memo6")] = "Шум ДОЖДЯ";
    form.values[field_named("Edit2")] = "a maps field";
    EXPECT_EQ(searchable_text(Tab::Sounds, form), "гром\nшум дождя\n");
    EXPECT_EQ(first_line("first\r\nsecond"), "first");
    EXPECT_EQ(first_line("only"), "only");
}

}  // namespace
}  // namespace tessivar::snapshot
