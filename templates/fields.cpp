// Each tab's fields as a template names them, and their values in a snapshot.
#include <algorithm>

#include "tabs/fields.h"
#include "templates/program.h"

namespace tessivar::templates {
namespace {

using enum FieldKind;

constexpr FieldKind layout_kind(Input input) {
    switch (input) {
        case Input::Memo: return Lines;
        case Input::DatePicker: return Date;
        default: return Text;
    }
}

struct Shapes {
    std::array<FieldShape, max_fields> shapes{};
    std::size_t count = 0;
};

// The fields a layout names, in the tab's order.
constexpr std::array<Shapes, kTabCount> kShapes = [] {
    std::array<Shapes, kTabCount> all{};
    for (Tab tab : kTabs) {
        Shapes& of_tab = all[index_of(tab)];
        for (const TabField& field : fields_of(tab)) {
            if (field.layout_name.empty()) continue;
            of_tab.shapes[of_tab.count++] = {field.layout_name, layout_kind(field.input)};
        }
    }
    return all;
}();

FieldValue text(const std::string& value) { return {.text = value, .has = has_text(value)}; }

FieldValue date(bool toggle, const std::string& value) {
    return {.text = toggle ? std::string_view{value} : std::string_view{}, .has = toggle};
}

// A box given away by the caller (a snapshot taken by value) may be moved from.
FieldValue box(const tessivar::Lines& lines, bool given_away) {
    return {.text = {},
            .lines = &lines,
            .movable = given_away ? const_cast<tessivar::Lines*>(&lines) : nullptr,
            .has = !lines.empty()};
}

FieldValues values(std::initializer_list<FieldValue> in_window_order) {
    FieldValues values{};
    std::copy(in_window_order.begin(), in_window_order.end(), values.begin());
    return values;
}

}  // namespace

std::span<const FieldShape> field_shapes(Tab tab) {
    const Shapes& of_tab = kShapes[index_of(tab)];
    return std::span(of_tab.shapes).first(of_tab.count);
}

FieldValues field_values(const MapTab& t, bool given_away) {
    return values({text(t.Edit2), text(t.ComboBox1), text(t.Edit1), date(t.CheckBox1, t.DateTimePicker1),
                   text(t.ComboBox2), text(t.ComboBox3), text(t.ComboBox4), text(t.ComboBox5),
                   text(t.ComboBox6), text(t.LabeledEdit2), box(t.Memo1, given_away), text(t.Edit7)});
}

FieldValues field_values(const SoundTab& t, bool given_away) {
    return values({text(t.Edit8), text(t.Edit9), text(t.ComboBox12), text(t.ComboBox9), text(t.ComboBox10),
                   text(t.ComboBox11), box(t.Memo6, given_away), text(t.Edit11)});
}

FieldValues field_values(const ModelTab& t, bool given_away) {
    return values({text(t.Edit4), text(t.Edit5), date(t.CheckBox2, t.DateTimePicker2),
                   box(t.Memo2, given_away), box(t.Memo5, given_away), box(t.Memo3, given_away)});
}

FieldValues field_values(const TextureTab& t, bool given_away) {
    return values({text(t.Edit3), text(t.Edit6), date(t.CheckBox3, t.DateTimePicker3), text(t.ComboBox7),
                   text(t.ComboBox8), box(t.Memo4, given_away)});
}

}  // namespace tessivar::templates
