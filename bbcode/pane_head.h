#pragma once
// What of a pane the preview renders: its head. A forum post is far
// smaller, and the rich edit's time grows faster than the text it holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessivar::bbcode {

// UTF-16 units: at least 64 KiB of the pane's text in any encoding.
inline constexpr std::size_t kShownUnits = 64 * 1024;

struct PaneHead {
    std::u16string_view shown;  // a surrogate pair is never cut
    std::u16string left_out;    // a line saying how much follows, empty when all is shown
};

// `start` is the pane's first `limit` + 1 units or all of it, `length` the
// whole pane's: the rest is never read, so any size costs the same.
PaneHead pane_head(std::u16string_view start, std::size_t length, std::size_t limit = kShownUnits);

// "1 знак", "3 знака", "1 983 616 знаков": grouped by thousands.
std::u16string characters_in_words(std::uint64_t count);

}  // namespace tessivar::bbcode
