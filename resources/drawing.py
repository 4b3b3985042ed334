"""Drawing helpers shared by the make_*.py scripts beside this folder's
sub-folders: hit tests for shapes in unit coordinates (0..1, y downwards),
a supersampling renderer, and writers for 32-bit .ico files and bottom-up
.bmp files. Plain Python 3 standard library; a script adds this folder to
sys.path and imports it."""
import struct


def inside_rounded_rect(x, y, left, top, right, bottom, radius):
    """Whether (x, y) lies in the rectangle with corners rounded by radius."""
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_polygon(x, y, points):
    """Whether (x, y) lies in the polygon given by its corner points."""
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def render(size, shade, supersample=4, rounded=True):
    """Rows (top first) of (r, g, b, a) pixels of a size x size picture.
    shade(u, v) gives the colour (r, g, b, a) of a unit-space sample, or None
    for transparent; each pixel averages supersample x supersample samples,
    its colour weighted by alpha. rounded=False truncates instead of
    rounding the averages."""
    n = supersample
    whole = (lambda value: int(round(value))) if rounded else int
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
            rgb = [whole(acc[i] / acc[3]) for i in range(3)] if acc[3] else [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], whole(acc[3] / (n * n))))
        rows.append(row)
    return rows


def icon_image(size, rows):
    """One 32-bit icon image: header, bottom-up BGRA pixels, then the AND
    mask (a bit set where alpha is 0)."""
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


def icon_file(sizes, images):
    """The .ico file: directory, then the images (one a size, same order)."""
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def write_icon(path, sizes, shade, rounded=True):
    """Renders shade at each size and writes them as one .ico file."""
    images = [icon_image(s, render(s, shade, rounded=rounded)) for s in sizes]
    with open(path, 'wb') as f:
        f.write(icon_file(sizes, images))


def bmp_file(width, height, pixel, palette=None):
    """A bottom-up .bmp file. pixel(x, y), y counting from the top, gives
    (r, g, b) for a 24-bit file, or, when a 16-colour palette of (r, g, b)
    is given, an index into it for a 4-bit file."""
    depth = 4 if palette else 24
    stride = ((width * depth + 31) // 32) * 4
    bits = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            if palette:
                row[x // 2] |= (pixel(x, y) & 15) << (0 if x % 2 else 4)
            else:
                r, g, b = pixel(x, y)
                row[x * 3:x * 3 + 3] = bytes((b, g, r))
        bits += row
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette or ())
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, depth, 0, len(bits),
                       2835, 2835, len(palette or ()), 0)
    return header + info + table + bytes(bits)


def bmp_file_rle8(width, height, pixel, palette):
    """A bottom-up 8-bit .bmp file compressed with BI_RLE8, its colour table
    the given palette of (r, g, b) (at most 256 entries). pixel(x, y), y
    counting from the top, gives an index into the palette. Every run is
    written in encoded mode (count, index): pictures of wide flat areas come
    out at a few bytes a row."""
    assert 0 < len(palette) <= 256
    bits = bytearray()
    for y in range(height - 1, -1, -1):
        x = 0
        while x < width:
            index = pixel(x, y)
            run = 1
            while x + run < width and run < 255 and pixel(x + run, y) == index:
                run += 1
            bits += bytes((run, index))
            x += run
        bits += b'\0\0'  # end of line
    bits[-1] = 1  # the last end of line becomes the end of the bitmap
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 1, len(bits),
                       2835, 2835, len(palette), 0)
    return header + info + table + bytes(bits)


def rle8_pixels(data):
    """The palette indexes of a file written by bmp_file_rle8, as rows top
    first: a check that the file says what it was drawn from."""
    offset, = struct.unpack_from('<I', data, 10)
    width, height = struct.unpack_from('<ii', data, 18)
    rows = []
    row = []
    p = offset
    while True:
        count, value = data[p], data[p + 1]
        p += 2
        if count:
            row += [value] * count
        elif value in (0, 1):
            assert len(row) == width
            rows.append(row)
            row = []
            if value == 1:
                break
        else:
            raise ValueError('escape not written by bmp_file_rle8')
    assert len(rows) == height
    return rows[::-1]
