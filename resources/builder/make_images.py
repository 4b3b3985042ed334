#!/usr/bin/env python3
"""Draws the builder's program icon (an orange parcel with a white arrow
leaving it, at 16, 32 and 48 pixels, 32-bit with alpha) into Vesmarin.ico,
and the same drawing at 96 pixels on white into main_logo.bmp (24-bit) for
the main window. Run it again after changing the drawing."""
import os
import struct

SUPERSAMPLE = 4
ARROW = [(0.40, 0.66), (0.60, 0.66), (0.60, 0.34), (0.76, 0.34),
         (0.50, 0.06), (0.24, 0.34), (0.40, 0.34)]


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


def inside_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


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


def render(size):
    n = SUPERSAMPLE
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = shade((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c:
                        for i in range(3):
                            acc[i] += c[i] * c[3]
                        acc[3] += c[3]
            rgb = [int(round(acc[i] / acc[3])) for i in range(3)] if acc[3] else [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], int(round(acc[3] / (n * n)))))
        rows.append(row)
    return rows


def icon_image(size, rows):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def write_icon(path, sizes):
    images = [icon_image(s, render(s)) for s in sizes]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def write_bitmap(path, size):
    rows = render(size)
    stride = (size * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, a in row:
            # Blend over white.
            line += bytes((int(b * a / 255 + 255 - a), int(g * a / 255 + 255 - a),
                           int(r * a / 255 + 255 - a)))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(head + info + bytes(pixels))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, 'Vesmarin.ico'), (16, 32, 48))
    write_bitmap(os.path.join(here, 'main_logo.bmp'), 96)


if __name__ == '__main__':
    main()
