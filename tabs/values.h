#pragma once
// A tab's fields as its controls hold them: the one snapshot a press, the
// layouts and the built-in descriptions read.
#include <string>
#include <vector>

#include "output/description.h"
#include "tabs/fields.h"

namespace tessivar {

struct TabValue {
    std::string text;    // a box's or a combo box's text; a picker's date as it shows it
    Lines lines;         // a multi-line box's
    bool ticked = true;  // a date toggle's: the date is used only while it is ticked
};

struct TabValues {
    explicit TabValues(Tab of) : tab(of), values(fields_of(of).size()) {}
    Tab tab;
    std::vector<TabValue> values;  // one per row of the tab's table, in its order
};

}  // namespace tessivar
