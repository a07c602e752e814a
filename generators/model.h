#pragma once
// The models tab's description.
#include <string>

#include "output/description.h"

namespace tessivar {

struct ModelTab {  // one field per control, named after it
    std::string Edit4, Edit5;
    bool CheckBox2 = true;
    std::string DateTimePicker2;  // the picker's date text; used only when CheckBox2
    Lines Memo2;  // imported texture paths
    Lines Memo5;  // image addresses: the first is the preview, the rest screenshots
    Lines Memo3;
};

// Takes the snapshot by value: the memo lines move into the description.
Description describe_model(ModelTab tab);

}  // namespace tessivar
