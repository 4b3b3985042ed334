#!/usr/bin/env python3
"""Draws the updater's pictures and writes them beside this script:
Nemdrift.ico, a green disc with a white arrow pointing up (16 and 32 pixels,
32-bit colour with alpha), and news_default.bmp, the 32 x 16 default icon of
the news list (a folded sheet with text lines, 24-bit). Run it again after
changing a drawing."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from drawing import bmp_file, write_icon  # noqa: E402


def icon_shade(u, v):
    du, dv = u - 0.5, v - 0.5
    if du * du + dv * dv > 0.46 * 0.46:
        return None
    # Arrow: a head (triangle) and a shaft.
    if 0.2 <= v <= 0.48 and abs(du) <= (v - 0.2) * 0.9:
        return (255, 255, 255, 255)
    if 0.46 <= v <= 0.8 and abs(du) <= 0.09:
        return (255, 255, 255, 255)
    edge = du * du + dv * dv > 0.40 * 0.40
    return (24, 120, 60, 255) if edge else (44, 160, 84, 255)


def news_pixel(x, y):
    """The default news icon, 32 x 16: a white sheet with grey lines on the
    window colour, centred."""
    if 9 <= x <= 22 and 1 <= y <= 14:
        if x in (9, 22) or y in (1, 14):
            return (90, 100, 120)
        if 11 <= x <= 20 and y in (4, 7, 10) and not (y == 10 and x > 17):
            return (120, 140, 180)
        return (255, 255, 255)
    return (255, 255, 255)


# Truncated, not rounded, averages: the icon as it has always been drawn.
write_icon(os.path.join(HERE, "Nemdrift.ico"), (16, 32), icon_shade, rounded=False)
with open(os.path.join(HERE, "news_default.bmp"), "wb") as f:
    f.write(bmp_file(32, 16, news_pixel))
