#include "pictures/text_shifts.h"

#include <algorithm>

namespace tessivar::pictures {

void TextShifts::replaced(long start, long length, long now) {
    const auto at = std::upper_bound(changes_.begin(), changes_.end(), Change{start, length, now},
                                     [](const Change& a, const Change& b) {
                                         return a.start != b.start ? a.start < b.start : a.length < b.length;
                                     });
    changes_.insert(at, {start, length, now});
}

long TextShifts::to_control(long rendering) const {
    long shift = 0;
    for (const Change& change : changes_) {
        if (change.start + change.length > rendering) break;
        shift += change.now - change.length;
    }
    return rendering + shift;
}

long TextShifts::to_rendering(long control) const {
    long shift = 0;
    for (const Change& change : changes_) {
        const long control_start = change.start + shift;
        if (control < control_start) break;
        if (control < control_start + change.now) return change.start;
        shift += change.now - change.length;
    }
    return control - shift;
}

}  // namespace tessivar::pictures
