#include "bbcode/pane_head.h"

#include <algorithm>

namespace tessivar::bbcode {
namespace {

bool high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Thousands apart by a no-break space, so that the number never breaks.
std::u16string grouped(std::uint64_t n) {
    std::u16string digits;
    for (int i = 0;; ++i) {
        if (i && i % 3 == 0) digits.insert(digits.begin(), u'\u00A0');
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
        if (!n) return digits;
    }
}

}  // namespace

PaneHead pane_head(std::u16string_view start, std::size_t length, std::size_t limit) {
    std::size_t shown = std::min(start.size(), limit);
    if (shown < start.size() && shown && high_surrogate(start[shown - 1])) ++shown;  // the pair whole
    if (shown >= length) return {start.substr(0, shown), {}};
    return {start.substr(0, shown), u"Дальше не показано: ещё " + characters_in_words(length - shown)};
}

std::u16string characters_in_words(std::uint64_t count) {
    const std::uint64_t last = count % 10, last_two = count % 100;
    const bool teen = last_two >= 11 && last_two <= 14;
    const std::u16string_view noun = !teen && last == 1 ? u" знак"
                                   : !teen && last >= 2 && last <= 4 ? u" знака"
                                                                     : u" знаков";
    return grouped(count) + std::u16string(noun);
}

}  // namespace tessivar::bbcode
