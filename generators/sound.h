#pragma once
// The sounds tab's description.
#include <string>

#include "output/description.h"

namespace tessivar {

struct SoundTab {  // one field per control, named after it
    std::string Edit8, Edit9, ComboBox12, ComboBox9, ComboBox10, ComboBox11, Edit11;
    Lines Memo6;
};

// Takes the snapshot by value: the memo lines move into the description.
Description describe_sound(SoundTab tab);

}  // namespace tessivar
