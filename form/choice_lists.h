#pragma once
// The items of the twelve drop-down lists, in the order the user sees them.
#include <span>
#include <string_view>

namespace tessivar {

struct ChoiceList {
    std::string_view combo;  // the control's name, "ComboBox1" ... "ComboBox12"
    std::span<const std::string_view> items;  // UTF-8, display order
};

// ComboBox1..ComboBox12 in order; static storage, valid for the program's life.
std::span<const ChoiceList> choice_lists();

}  // namespace tessivar
