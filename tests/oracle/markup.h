#pragma once
// The line shapes the generators shared before templates wrote the descriptions. Each takes the label already coloured
// (see `label`) and the user's value, which goes in unchanged: never trimmed,
// checked or escaped.
#include <initializer_list>
#include <string>
#include <string_view>

#include "output/description.h"

namespace tessivar::oracle {

// Joins pieces with one allocation.
std::string concat(std::initializer_list<std::string_view> pieces);

// "[color=" colour "]" caption "[/color]"
std::string label(std::string_view colour, std::string_view caption);

// label " [color=red]" value "[/color]": the author or title line.
std::string first_field_line(std::string_view label, std::string_view value);

// label " [i]" value "[/i]"
std::string italic_line(std::string_view label, std::string_view value);

// label " " value: the value bare after the label's final blank.
std::string bare_line(std::string_view label, std::string_view value);

// label " [url=" address "]" address "[/url]"
std::string link_line(std::string_view label, std::string_view address);

// "[c][img]" address "[/img][/c]"
std::string centred_image_line(std::string_view address);

// "[img]" address "[/img]"
std::string image_line(std::string_view address);

// The version line shared by the short map description and by the models and
// textures tabs: dated, it has "Версия: " before "[/color]" and the date after
// "от"; without one, no blank before "[/color]". Both keep a blank before
// the closing "[/i]".
std::string version_line(std::string_view colour, std::string_view version,
                         bool dated,
                         std::string_view date);

// "[color=#FFFFFF]", each body line as its own line, "[/color]"; the body's
// lines are moved, not copied.
void append_white_block(Lines& out, Lines body);

}  // namespace tessivar::oracle
