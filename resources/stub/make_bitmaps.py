#!/usr/bin/env python3
"""Draws the wizard's bitmaps as BMP files beside this script: the classic
panel (125), the check mark of the progress page (131), the new-style
watermark (137) and header image (138), and the About box's logo (117).
Small on purpose: the stub heads every installer. The two large pictures,
flat bands of colour, are stored run-length encoded (8-bit BI_RLE8 with the
16-colour table), the rest as plain 4-bit files. Run it again after changing
the drawing."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from drawing import bmp_file, bmp_file_rle8, rle8_pixels  # noqa: E402

# 16 colours: a blue ramp for the backgrounds, then the few flat colours.
RAMP = [(0x10 + i * 9, 0x30 + i * 11, 0x80 + i * 8) for i in range(12)]
PALETTE = RAMP + [(0, 0, 0), (128, 128, 128), (192, 192, 192), (255, 255, 255)]
BLACK, DARK, LIGHT, WHITE = 12, 13, 14, 15


def write_bmp(name, width, height, pixel, rle=False):
    """pixel(x, y) gives a palette index; y counts from the top."""
    if rle:
        data = bmp_file_rle8(width, height, pixel, PALETTE)
        assert rle8_pixels(data) == [[pixel(x, y) for x in range(width)] for y in range(height)]
    else:
        data = bmp_file(width, height, pixel, PALETTE)
    assert b"lsfx" not in data
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def inside_box_with_arrow(x, y, cx, cy, size):
    """The program icon's picture: a box with an arrow pointing into it."""
    half = size // 2
    left, right = cx - half, cx + half
    box_top = cy
    in_box = left <= x <= right and box_top <= y <= cy + half and not (
        left + 3 <= x <= right - 3 and box_top + 3 <= y <= cy + half - 3 and y > box_top + 3)
    shaft = abs(x - cx) <= size // 10 and cy - half <= y <= cy
    head = cy - size // 8 <= y <= cy + size // 5 and abs(x - cx) <= (cy + size // 5 - y)
    return in_box or shaft or head


def panel(width, height):
    def pixel(x, y):
        if inside_box_with_arrow(x, y, width // 2, height // 3, width // 2):
            return WHITE
        return min(11, y * 12 // height)
    return pixel


def header(x, y):
    if inside_box_with_arrow(x, y, 24, 26, 28):
        return WHITE
    return min(11, (x + y) * 12 // 98)


def check_mark(x, y):
    # A black check mark on light grey, 12 x 11.
    points = {(2, 5), (2, 6), (3, 6), (3, 7), (4, 7), (4, 8), (5, 7), (5, 6), (6, 6), (6, 5),
              (7, 5), (7, 4), (8, 4), (8, 3), (9, 3), (9, 2), (3, 5), (4, 6), (5, 8), (6, 7),
              (7, 6), (8, 5), (9, 4), (10, 3), (10, 2)}
    return BLACK if (x, y) in points else LIGHT


# The product name in a pixel font of its own, so that the logo never
# depends on a font the machine may lack: capitals and figures 7 rows high,
# small letters 5 rows on the same baseline (the i's dot stands above them).
GLYPHS = {
    "V": ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    "e": [".###.", "#...#", "#####", "#....", ".###."],
    "s": [".####", "#....", ".###.", "....#", "####."],
    "m": ["##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "a": [".###.", "....#", ".####", "#...#", ".####"],
    "r": ["#.##", "##..", "#...", "#...", "#..."],
    "i": ["#", ".", "#", "#", "#", "#", "#"],
    "n": ["#.##.", "##..#", "#...#", "#...#", "#...#"],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    " ": ["..", "..", "..", "..", "..", "..", ".."],
}


def text_pixels(text, left, baseline):
    """The set of (x, y) pixels of the text, one column between letters."""
    pixels = set()
    x = left
    for ch in text:
        rows = GLYPHS[ch]
        top = baseline - len(rows) + 1
        for dy, row in enumerate(rows):
            for dx, cell in enumerate(row):
                if cell == "#":
                    pixels.add((x + dx, top + dy))
        x += len(rows[0]) + 1
    return pixels


LOGO_NAME = text_pixels("Vesmarin", 24, 14)
LOGO_VERSION = text_pixels("6", 24 + sum(len(GLYPHS[c][0]) + 1 for c in "Vesmarin "), 14)


def logo(x, y):
    # A blue strip: the white box-and-arrow at the left, the name in white
    # and the version in light grey, with a light rule under them.
    if inside_box_with_arrow(x, y, 10, 11, 14):
        return WHITE
    if (x, y) in LOGO_NAME:
        return WHITE
    if (x, y) in LOGO_VERSION:
        return LIGHT
    if y == 17 and 24 <= x <= 84:
        return 8
    return 3


write_bmp("wizard_panel.bmp", 138, 253, panel(138, 253), rle=True)
write_bmp("wizard_check.bmp", 12, 11, check_mark)
write_bmp("wizard_watermark.bmp", 164, 314, panel(164, 314), rle=True)
write_bmp("wizard_header.bmp", 49, 49, header)
write_bmp("about_logo.bmp", 88, 21, logo)
