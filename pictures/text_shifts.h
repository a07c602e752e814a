#pragma once
// Where a rendering's character positions stand in the control once some
// of its spans were replaced (a placeholder by its picture, one character)
// or text was added (a reason after a placeholder): each arrival changes
// the control in place, and the rendering's tables of links and
// placeholders stay as they were written.
#include <vector>

namespace tessivar::pictures {

class TextShifts {
public:
    void clear() { changes_.clear(); }
    // `length` characters at rendering position `start` became `now`
    // characters; a length of 0 inserts. Spans never overlap.
    void replaced(long start, long length, long now);
    // The control's position of a rendering position outside every replaced span.
    long to_control(long rendering) const;
    // The rendering's position of a control position; inside what replaced
    // a span, that span's start.
    long to_rendering(long control) const;

private:
    struct Change {
        long start, length, now;
    };
    std::vector<Change> changes_;  // by start; an insertion before a replacement at the same place
};

}  // namespace tessivar::pictures
