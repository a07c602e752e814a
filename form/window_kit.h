#pragma once
// The thin layer over Win32 that the window definitions share: bounds at
// 96 dpi, anchoring to the parent's edges, the UI font.
#include <windows.h>

#include <vector>

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

// Keeps each control's distances to the parent edges it follows; a control
// that follows two opposite edges stretches. Distances are those of the
// design size the bounds were given for.
class Anchoring {
public:
    explicit Anchoring(SIZE design_client) : design_(design_client) {}
    void add(HWND control, Bounds design_bounds, unsigned anchors);
    // Moves every anchored control for the parent's new client size, in one batch.
    void apply(SIZE client) const;

private:
    struct Item {
        HWND control;
        Bounds bounds;
        unsigned anchors;
    };
    SIZE design_;
    std::vector<Item> items_;
};

// `face` at 8 pt (11 pixels at 96 dpi) with the Cyrillic glyphs the interface
// needs, or Tahoma where the system lacks them in that face.
HFONT create_ui_font(const wchar_t* face);

SIZE client_size(HWND window);

// Whether a check box shows its tick.
bool checked(HWND toggle);

// The size `text` takes in `font`: on one line, or broken at `wrap_width`.
SIZE text_size(HFONT font, const wchar_t* text, int wrap_width = 0);

}  // namespace tessivar
