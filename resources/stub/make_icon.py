#!/usr/bin/env python3
"""Draws the extractor's program icon: a blue box with a white arrow pointing
down into it, at 16, 32 and 48 pixels, 32-bit colour with alpha, and writes
Tessaly.ico beside this script. Run it again after changing the drawing."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from drawing import inside_polygon, inside_rounded_rect, write_icon  # noqa: E402

SIZES = (16, 32, 48)


# The drawing in unit coordinates (0..1, y downwards).
ARROW = [(0.40, 0.08), (0.60, 0.08), (0.60, 0.40), (0.76, 0.40),
         (0.50, 0.68), (0.24, 0.40), (0.40, 0.40)]


def shade(u, v):
    """Colour (r, g, b, a) of one unit-space sample, or None for transparent."""
    if inside_polygon(u, v, ARROW):
        return (255, 255, 255, 255)
    # Arrow outline: a thin dark-blue rim so the white reads on light backgrounds.
    for du, dv in ((0.03, 0), (-0.03, 0), (0, 0.03), (0, -0.03)):
        if inside_polygon(u + du, v + dv, ARROW):
            return (16, 52, 120, 255)
    if inside_rounded_rect(u, v, 0.08, 0.30, 0.92, 0.94, 0.10):
        # Vertical gradient from a light to a deep blue, lid band on top.
        t = (v - 0.30) / 0.64
        if v < 0.44:
            return (92, 160, 236, 255)
        r = int(58 + (20 - 58) * t)
        g = int(128 + (76 - 128) * t)
        b = int(222 + (170 - 222) * t)
        return (r, g, b, 255)
    return None


def main():
    write_icon(os.path.join(HERE, 'Tessaly.ico'), SIZES, shade)


if __name__ == '__main__':
    main()
