#pragma once
// The maps tab's description.
#include <string>

#include "output/description.h"

namespace tessivar {

struct MapTab {  // one field per control, named after it
    std::string Edit2, ComboBox1, Edit1;
    bool CheckBox1 = true;
    std::string DateTimePicker1;  // the picker's date text; used only when CheckBox1
    std::string ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, LabeledEdit2;
    Lines Memo1;
    std::string Edit7;
};

// Takes the snapshot by value: the memo lines move into the description.
Description describe_map(MapTab tab);

}  // namespace tessivar
