// Each tab's fields as a template names them, and their values, read from its table.
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

FieldValue box(const tessivar::Lines& lines, bool given_away) {
    return {.text = {},
            .lines = &lines,
            .movable = given_away ? const_cast<tessivar::Lines*>(&lines) : nullptr,
            .has = !lines.empty()};
}

}  // namespace

std::span<const FieldShape> field_shapes(Tab tab) {
    const Shapes& of_tab = kShapes[index_of(tab)];
    return std::span(of_tab.shapes).first(of_tab.count);
}

FieldValues field_values(const TabValues& tab, bool given_away) {
    const auto fields = fields_of(tab.tab);
    const auto toggle = std::ranges::find(fields, Input::DateToggle, &TabField::input);
    const bool dated = toggle == fields.end() || tab.values[static_cast<std::size_t>(toggle - fields.begin())].ticked;
    FieldValues values{};
    std::size_t named = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].layout_name.empty()) continue;
        const TabValue& value = tab.values[i];
        switch (fields[i].input) {
            case Input::DatePicker: values[named++] = date(dated, value.text); break;
            case Input::Memo: values[named++] = box(value.lines, given_away); break;
            default: values[named++] = text(value.text);
        }
    }
    return values;
}

}  // namespace tessivar::templates
