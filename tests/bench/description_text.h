#pragma once
// A full description as the maps tab writes it, repeated to the size asked:
// the credit line, a centred picture, coloured and italic labels, four
// links and a white block in every repeat.
#include <string>

#include "output/description.h"
#include "tests/bench/memo_text.h"
#include "tests/host/worked_examples.h"

namespace tessivar::bench {

inline std::string make_description_text(std::size_t bytes) {
    MapTab tab = examples::map();
    tab.LabeledEdit2 = "img/td-logo.jpg";  // not a web address: the preview fetches nothing while timed
    tab.Memo1 = memo_lines(make_memo_text(600));
    tab.Edit7 = "https://rts-content.example/maps/td";
    const std::string one = pane_text(describe_map(tab).full_lines);
    std::string text;
    text.reserve(bytes + one.size());
    while (text.size() < bytes) text += one;
    return text;
}

// What a user may paste into a pane: 100,000 nested [b], 2 MiB of short
// tagged lines and a line of 300,000 characters.
inline std::string make_pasted_pane() {
    std::string text;
    for (int i = 0; i < 100'000; ++i) text += "[b]";
    text += "x";
    for (int i = 0; i < 100'000; ++i) text += "[/b]";
    text += "\r\n";
    for (int i = 0; text.size() < (2 << 20); ++i) text += "[i]строка[/i] [color=red]" + std::to_string(i) + "[/color]\r\n";
    return text + std::string(300'000, 'w');
}

}  // namespace tessivar::bench
