#!/usr/bin/env python3
"""Draws tessivar.ico: a page of coloured text lines between square brackets.

One 32x32 image, 4 bits per pixel with the standard 16-colour VGA palette,
so the icon looks the same on every Windows version.  Run it from anywhere;
it writes the icon next to itself.
"""
import pathlib
import struct

SIZE = 32

# The standard 16-colour VGA palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# Page corners and the size of its folded top-right corner.
LEFT, TOP, RIGHT, BOTTOM, FOLD = 7, 1, 24, 30, 6


def fill(canvas, x0, y0, x1, y1, colour):
    """Fills the rectangle with inclusive corners (x0, y0) and (x1, y1)."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            canvas[y][x] = colour


def draw_page(canvas):
    fill(canvas, LEFT, TOP, RIGHT, BOTTOM, BLACK)
    fill(canvas, LEFT + 1, TOP + 1, RIGHT - 1, BOTTOM - 1, WHITE)
    for y in range(TOP, TOP + FOLD + 1):
        for x in range(RIGHT - FOLD, RIGHT + 1):
            past_crease = (x - (RIGHT - FOLD)) + (TOP + FOLD - y)
            if past_crease > FOLD:
                canvas[y][x] = None
            elif past_crease == FOLD or x == RIGHT - FOLD or y == TOP + FOLD:
                canvas[y][x] = BLACK
            else:
                canvas[y][x] = SILVER


def draw_text(canvas):
    # Indented like code, two pixels tall so each line stays visible at 32x32.
    lines = [(10, 15, RED), (12, 21, BLUE), (12, 19, GREEN),
             (14, 21, PURPLE), (12, 18, TEAL), (10, 16, RED)]
    for row, (x0, x1, colour) in enumerate(lines):
        y = TOP + 5 + 4 * row
        fill(canvas, x0, y, x1, y + 1, colour)


def outlined(canvas, shape, colour):
    """Paints the pixel set in colour with a one-pixel black rim around it."""
    for x, y in shape:
        for nx in range(x - 1, x + 2):
            for ny in range(y - 1, y + 2):
                if 0 <= nx < SIZE and 0 <= ny < SIZE and (nx, ny) not in shape:
                    canvas[ny][nx] = BLACK
    for x, y in shape:
        canvas[y][x] = colour


def bracket(stem_x, arm_step, top=8, bottom=27):
    """A square bracket two pixels thick whose arms reach arm_step * 5 from the stem."""
    stem = {(stem_x + dx, y) for dx in (0, arm_step) for y in range(top, bottom + 1)}
    arms = {(stem_x + arm_step * i, y) for i in range(6)
            for y in (top, top + 1, bottom - 1, bottom)}
    return stem | arms


def draw_brackets(canvas):
    # Over the page edges, so the brackets read as markup wrapped round the text.
    outlined(canvas, bracket(2, 1), NAVY)
    outlined(canvas, bracket(SIZE - 3, -1), NAVY)


def draw():
    canvas = [[None] * SIZE for _ in range(SIZE)]
    draw_page(canvas)
    draw_text(canvas)
    draw_brackets(canvas)
    return canvas


def ico_bytes(canvas):
    rows = list(reversed(canvas))  # BMP rows run bottom-up
    xor = bytearray()
    for row in rows:
        indices = [0 if c is None else c for c in row]
        xor += bytes((indices[x] << 4) | indices[x + 1] for x in range(0, SIZE, 2))
    mask = bytearray()
    for row in rows:
        bits = 0
        for c in row:
            bits = (bits << 1) | (c is None)
        mask += bits.to_bytes(SIZE // 8, "big")  # 32 pixels: already 4-byte aligned

    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    # Height is doubled: the XOR bitmap and the AND mask are stacked.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = pathlib.Path(__file__).with_name("tessivar.ico")
    out.write_bytes(ico_bytes(draw()))


if __name__ == "__main__":
    main()
