#pragma once
// The two descriptions a generator produces, and the rules that turn the
// window's raw texts into their lines. Pure: no platform headers here.
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

using Lines = std::vector<std::string>;  // UTF-8 text, one entry a line

struct Description {
    Lines short_lines;
    Lines full_lines;  // full_lines[0] is the credit line
};

// A multi-line box's text split at its breaks: CR LF, a lone LF or a lone CR.
// A break at the very end opens no further line; nothing is trimmed or cut.
Lines memo_lines(std::string_view text);

// The only emptiness test there is: at least one character, blanks included.
inline bool has_text(std::string_view field) { return !field.empty(); }

// A pane's whole text: every line followed by CR LF, the last one included.
std::string pane_text(const Lines& lines);

// The fixed first line of every full description.
std::string credit_line();

}  // namespace tessivar
