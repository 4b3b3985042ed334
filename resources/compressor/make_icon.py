#!/usr/bin/env python3
"""Draws the compressor's program icon: a brown carton under a grey press
plate, at 16, 32 and 48 pixels, 32-bit colour with alpha, and writes
Sardok.ico beside this script. Run it again after changing the drawing."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from drawing import inside_rounded_rect, write_icon  # noqa: E402

SIZES = (16, 32, 48)


# The drawing in unit coordinates (0..1, y downwards): a brown carton with a
# darker band, squeezed by a grey press plate above it.
def shade(u, v):
    """Colour (r, g, b, a) of one unit-space sample, or None for transparent."""
    if inside_rounded_rect(u, v, 0.10, 0.06, 0.90, 0.22, 0.04):
        return (96, 104, 118, 255)
    if 0.46 <= u <= 0.54 and 0.22 <= v <= 0.34:
        return (96, 104, 118, 255)
    if inside_rounded_rect(u, v, 0.08, 0.38, 0.92, 0.94, 0.06):
        if 0.44 <= u <= 0.56:
            return (142, 92, 44, 255)
        edge = u < 0.12 or u > 0.88 or v < 0.42 or v > 0.90
        return (150, 100, 52, 255) if edge else (196, 142, 80, 255)
    return None


def main():
    write_icon(os.path.join(HERE, 'Sardok.ico'), SIZES, shade)


if __name__ == '__main__':
    main()
