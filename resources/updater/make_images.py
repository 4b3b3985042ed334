#!/usr/bin/env python3
"""Draws the updater's pictures and writes them beside this script:
Nemdrift.ico, a green disc with a white arrow pointing up (16 and 32 pixels,
32-bit colour with alpha), and news_default.bmp, the 32 x 16 default icon of
the news list (a folded sheet with text lines, 24-bit). Run it again after
changing a drawing."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4


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


def render(size, shade):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = shade((px + (sx + 0.5) / SS) / size, (py + (sy + 0.5) / SS) / size)
                    if c:
                        for i in range(3):
                            acc[i] += c[i] * c[3]
                        acc[3] += c[3]
            a = acc[3] / (SS * SS)
            if acc[3]:
                row.append(tuple(int(acc[i] / acc[3]) for i in range(3)) + (int(a),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    rows = render(size, icon_shade)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + pixels + mask


def write_icon(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


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


def write_news_bmp(path):
    width, height = 32, 16
    stride = (width * 3 + 3) & ~3
    pixels = b""
    for y in reversed(range(height)):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in (news_pixel(x, y) for x in range(width)))
        pixels += row + b"\0" * (stride - width * 3)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    with open(path, "wb") as f:
        f.write(file_header + header + pixels)


write_icon(os.path.join(HERE, "Nemdrift.ico"), (16, 32))
write_news_bmp(os.path.join(HERE, "news_default.bmp"))
