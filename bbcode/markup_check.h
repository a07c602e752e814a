#pragma once
// What of a pane the forum will not show as written, found by the reader
// the preview shows it with: each place with a line for the user.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bbcode/pane_head.h"
#include "bbcode/post.h"

namespace tessivar::bbcode {

enum class Problem : std::uint8_t {
    NeverClosed,    // an opening tag whose closing one never comes
    NeverOpened,    // a closing tag, or [*], with nothing open for it
    Crossed,        // tags closed in another order than opened
    UnknownTag,     // written as a tag, but none the forum takes
    NotAnAddress,   // an [img] or [url] address neither http(s) nor on the forum's site
    UnknownColour,
    PastLimit,      // tags open at once, links, a tag's length
    PastShown,      // the pane goes on past what is shown
    Unlisted,       // findings past kMaxFindings, in one, at the first of them
};

// A pane's findings listed one by one, at most: no one reads more, and each
// costs a rendering its message.
inline constexpr std::size_t kMaxFindings = 1000;

// Lines and characters as the pane counts them, from 1: a line ends at
// CR LF (a lone CR or LF is a character of the line, as the pane shows
// it), and a surrogate pair is one character.
struct Finding {
    Problem kind;
    std::size_t line, character;
    std::size_t offset, length;  // in UTF-16 units of the pane's text
    std::u16string message;      // what is wrong and how it is shown, in Russian
};

// A pane as the preview reads it: its head, the post, and what in them
// differs from the text as written, in the order of the text.
struct CheckedPane {
    PaneHead head;
    Post post;  // points into head.shown
    std::vector<Finding> findings;
};

// `start` and `length` as pane_head takes them; the findings' places are
// the pane's. Time linear in what is shown.
CheckedPane check_pane(std::u16string_view start, std::size_t length);

// The findings of a whole text, as a pane holding it gives them.
std::vector<Finding> check_markup(std::u16string_view text);

}  // namespace tessivar::bbcode
