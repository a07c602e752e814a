#pragma once
// Where a control stands in the design: its bounds at 96 dpi in its
// parent's client area, and the edges of the parent it keeps its distance to.
namespace tessivar {

struct Bounds {
    int left, top, width, height;
};

enum Anchor : unsigned {
    kLeft = 1,
    kTop = 2,
    kRight = 4,
    kBottom = 8,
    kTopLeft = kLeft | kTop,
    kAllEdges = kLeft | kTop | kRight | kBottom,
};

}  // namespace tessivar
