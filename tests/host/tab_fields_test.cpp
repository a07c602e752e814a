// The tabs' tables as rules: the keys the kept form is stored under are the
// ones files hold already, in their order; each row keeps the rules of its
// kind; and what layouts and the journal read is what the tables give.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "snapshot/form_state.h"
#include "tabs/fields.h"

namespace tessivar {
namespace {

TEST(TabFields, TheKeptKeysAreThoseFilesHoldInTheirOrder) {
    using K = snapshot::FieldKind;
    const struct {
        const char* name;
        K kind;
    } stored[] = {
        {"Edit2", K::Text},        {"ComboBox1", K::Text},  {"Edit1", K::Text},         {"CheckBox1", K::Toggle},
        {"DateTimePicker1", K::Date}, {"ComboBox2", K::Text}, {"ComboBox3", K::Text},   {"ComboBox4", K::Text},
        {"ComboBox5", K::Text},    {"ComboBox6", K::Text},  {"LabeledEdit2", K::Text},  {"Memo1", K::Text},
        {"Edit7", K::Text},        {"Edit8", K::Text},      {"Edit9", K::Text},         {"ComboBox12", K::Text},
        {"ComboBox9", K::Text},    {"ComboBox10", K::Text}, {"ComboBox11", K::Text},    {"Memo6", K::Text},
        {"Edit11", K::Text},       {"Edit4", K::Text},      {"Edit5", K::Text},         {"CheckBox2", K::Toggle},
        {"DateTimePicker2", K::Date}, {"Memo2", K::Text},   {"Memo5", K::Text},         {"Memo3", K::Text},
        {"Edit3", K::Text},        {"Edit6", K::Text},      {"CheckBox3", K::Toggle},   {"DateTimePicker3", K::Date},
        {"ComboBox7", K::Text},    {"ComboBox8", K::Text},  {"Memo4", K::Text},         {"Disc1", K::Text},
        {"Disc2", K::Text},        {"PageControl1", K::Page}, {"FMain", K::Placement},  {"FPreview", K::Placement},
    };
    const auto fields = snapshot::form_fields();
    ASSERT_EQ(fields.size(), std::size(stored));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].name, std::string_view(stored[i].name)) << "at " << i;
        EXPECT_EQ(fields[i].kind, stored[i].kind) << stored[i].name;
    }
}

// What a row may say, by its kind: only one-line boxes share a history,
// only combo boxes have a list, choices that are not typed are never
// emptied, and only the toggle has no name in layouts.
TEST(TabFields, EachRowKeepsTheRulesOfItsKind) {
    const struct {
        Input input;
        bool history, choices, cleared, layout_name;
    } allowed[] = {
        {Input::Edit, true, false, true, true},        {Input::Combo, false, true, true, true},
        {Input::DropList, false, true, false, true},   {Input::Memo, false, false, true, true},
        {Input::DateToggle, false, false, false, false}, {Input::DatePicker, false, false, false, true},
    };
    for (const auto& rule : allowed) {
        for (Tab tab : kTabs) {
            for (const TabField& field : fields_of(tab)) {
                if (field.input != rule.input) continue;
                SCOPED_TRACE(std::string(field.control));
                EXPECT_TRUE(rule.history || !field.history);
                EXPECT_EQ(!field.choices.empty(), rule.choices);
                EXPECT_TRUE(rule.cleared || !field.cleared);
                EXPECT_EQ(!field.layout_name.empty(), rule.layout_name);
            }
        }
    }
}

// Layouts tell fields by name, the journal's columns by history, the date by
// the tab's toggle: each is one of its kind on its tab.
TEST(TabFields, OnATabNamesHistoriesAndTogglesAreEachOnceAndEachDateHasItsToggle) {
    std::set<std::string_view> controls;
    for (Tab tab : kTabs) {
        std::set<std::string_view> names;
        std::set<history::Meaning> histories;
        int toggles = 0, dates = 0;
        for (const TabField& field : fields_of(tab)) {
            EXPECT_TRUE(controls.insert(field.control).second) << field.control;
            EXPECT_TRUE(field.layout_name.empty() || names.insert(field.layout_name).second) << field.control;
            EXPECT_TRUE(!field.history || histories.insert(*field.history).second) << field.control;
            toggles += field.input == Input::DateToggle;
            dates += field.input == Input::DatePicker;
        }
        EXPECT_EQ(toggles, dates) << "tab " << index_of(tab);
        EXPECT_LE(toggles, 1) << "tab " << index_of(tab);
    }
}

}  // namespace
}  // namespace tessivar
