#pragma once
// The textures tab's description.
#include <string>

#include "output/description.h"

namespace tessivar {

struct TextureTab {  // one field per control, named after it
    std::string Edit3, Edit6;
    bool CheckBox3 = true;
    std::string DateTimePicker3;  // the picker's date text; used only when CheckBox3
    std::string ComboBox7, ComboBox8;
    Lines Memo4;
};

// Takes the snapshot by value: the memo lines move into the description.
Description describe_texture(TextureTab tab);

}  // namespace tessivar
