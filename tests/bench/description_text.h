#pragma once
// A full description as the maps tab writes it, repeated to the size asked:
// the credit line, a centred picture, coloured and italic labels, four
// links and a white block in every repeat.
#include <string>

#include "generators/map.h"
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

}  // namespace tessivar::bench
