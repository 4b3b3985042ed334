#!/usr/bin/env python3
"""Draws the extractor's program icon: a blue box with a white arrow pointing
down into it, at 16, 32 and 48 pixels, 32-bit colour with alpha, and writes
Sardok.ico beside this script. Run it again after changing the drawing."""
import math
import os
import struct

SIZES = (16, 32, 48)
SUPERSAMPLE = 4


def inside_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


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


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    u = (px + (sx + 0.5) / n) / size
                    v = (py + (sy + 0.5) / n) / size
                    c = shade(u, v)
                    if c:
                        acc[0] += c[0] * c[3]
                        acc[1] += c[1] * c[3]
                        acc[2] += c[2] * c[3]
                        acc[3] += c[3]
            alpha = acc[3] / (n * n)
            if acc[3]:
                rgb = [int(round(acc[i] / acc[3])) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], int(round(alpha))))
        pixels.append(row)
    return pixels


def bitmap_image(size, pixels):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def main():
    images = [bitmap_image(s, render(s)) for s in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Sardok.ico')
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
