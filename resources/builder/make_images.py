#!/usr/bin/env python3
"""Draws the builder's program icon (an orange parcel with a white arrow
leaving it, at 16, 32 and 48 pixels, 32-bit with alpha) into Vesmarin.ico,
and the same drawing at 96 pixels on white into main_logo.bmp (24-bit) for
the main window. Run it again after changing the drawing."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from drawing import bmp_file, inside_polygon, inside_rounded_rect, render, write_icon  # noqa: E402

ARROW = [(0.40, 0.66), (0.60, 0.66), (0.60, 0.34), (0.76, 0.34),
         (0.50, 0.06), (0.24, 0.34), (0.40, 0.34)]


def shade(u, v):
    if inside_polygon(u, v, ARROW):
        return (255, 255, 255, 255)
    for du, dv in ((0.03, 0), (-0.03, 0), (0, 0.03), (0, -0.03)):
        if inside_polygon(u + du, v + dv, ARROW):
            return (120, 52, 8, 255)
    if inside_rounded_rect(u, v, 0.08, 0.30, 0.92, 0.94, 0.10):
        if v < 0.44:
            return (250, 176, 80, 255)
        t = (v - 0.30) / 0.64
        return (int(240 + (200 - 240) * t), int(140 + (90 - 140) * t), int(40 + (20 - 40) * t), 255)
    return None


def write_bitmap(path, size):
    rows = render(size, shade)

    def pixel(x, y):
        # Blend over white.
        r, g, b, a = rows[y][x]
        return tuple(int(c * a / 255 + 255 - a) for c in (r, g, b))
    with open(path, 'wb') as f:
        f.write(bmp_file(size, size, pixel))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, 'Vesmarin.ico'), (16, 32, 48), shade)
    write_bitmap(os.path.join(here, 'main_logo.bmp'), 96)


if __name__ == '__main__':
    main()
