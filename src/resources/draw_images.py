#!/usr/bin/env python3
"""Draws Korvath's icon and bitmaps: the thermometer icon (16, 32 and 48
pixels), the About picture and the home-page button image.

Everything is drawn here from shapes, with the standard library only, so the
build needs no image files and no drawing package:

    draw_images.py OUTPUT_DIR   writes korvath.ico, about.bmp, homepage.bmp
"""

import math
import os
import struct
import sys

SAMPLES = 4  # per pixel and axis, for smooth edges

OUTLINE = (64, 64, 72)
GLASS = (250, 250, 250)
MERCURY = (214, 32, 32)
TICKS = (90, 90, 100)


def capsule_distance(x, y, top, bottom, cx, radius):
    """Distance from (x, y) to a vertical capsule between top and bottom."""
    py = min(max(y, top), bottom)
    return math.hypot(x - cx, y - py) - radius


def circle_distance(x, y, cx, cy, radius):
    return math.hypot(x - cx, y - cy) - radius


class Thermometer:
    """A thermometer in a unit square: tube, bulb and a mercury column."""

    def __init__(self, level=0.42, ticks=True, weight=1.0):
        self.level = level
        self.ticks = ticks
        self.weight = weight  # thicker glass and column for small sizes

    def colour(self, x, y):
        """The colour at (x, y) in 0..1 coordinates, or None for background."""
        w = self.weight
        cx, top, bulb_y = 0.5, 0.10, 0.76 - 0.04 * (w - 1)
        if min(capsule_distance(x, y, self.level, bulb_y, cx, 0.038 * w),
               circle_distance(x, y, cx, bulb_y, 0.105 + 0.06 * (w - 1))) <= 0:
            return MERCURY
        if min(capsule_distance(x, y, top, bulb_y, cx, 0.062 * w),
               circle_distance(x, y, cx, bulb_y, 0.135 + 0.07 * (w - 1))) <= 0:
            return GLASS
        if min(capsule_distance(x, y, top, bulb_y, cx, 0.100 * w),
               circle_distance(x, y, cx, bulb_y, 0.180 + 0.08 * (w - 1))) <= 0:
            return OUTLINE
        if self.ticks:
            for k in range(5):
                ty = 0.18 + 0.09 * k
                length = 0.13 if k % 2 == 0 else 0.08
                if abs(y - ty) <= 0.018 and 0.63 <= x <= 0.63 + length:
                    return TICKS
        return None


def render(shape, width, height, left=0.0, top=0.0, size=None):
    """Rows of (r, g, b, a) for shape drawn into a square of size pixels."""
    size = size or min(width, height)
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px - left + (sx + 0.5) / SAMPLES) / size
                    y = (py - top + (sy + 0.5) / SAMPLES) / size
                    colour = shape.colour(x, y) if 0 <= x <= 1 and 0 <= y <= 1 else None
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / SAMPLES ** 2)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon entry: BITMAPINFOHEADER, BGRA pixels bottom-up, AND mask."""
    small = size < 32
    rows = render(Thermometer(level=0.30 if small else 0.42, ticks=not small, weight=1.7 if small else 1.0), size, size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_icon(path, sizes):
    images = [icon_image(size) for size in sizes]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


# A 5 x 7 pixel font with the letters the bitmaps need.
GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    " ": ["00000"] * 7,
}


class Canvas:
    """An opaque RGB picture that shapes and text are painted onto."""

    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background(x, y) for x in range(width)] for y in range(height)]

    def paint(self, rows, left, top):
        for dy, row in enumerate(rows):
            for dx, (r, g, b, a) in enumerate(row):
                x, y = left + dx, top + dy
                if a and 0 <= x < self.width and 0 <= y < self.height:
                    base = self.pixels[y][x]
                    self.pixels[y][x] = tuple(round((c * a + d * (255 - a)) / 255) for c, d in zip((r, g, b), base))

    def text(self, text, left, top, scale, colour):
        for index, letter in enumerate(text):
            for gy, line in enumerate(GLYPHS[letter]):
                for gx, bit in enumerate(line):
                    if bit != "1":
                        continue
                    for y in range(top + gy * scale, top + (gy + 1) * scale):
                        for x in range(left + (index * 6 + gx) * scale, left + (index * 6 + gx + 1) * scale):
                            if 0 <= x < self.width and 0 <= y < self.height:
                                self.pixels[y][x] = colour

    @staticmethod
    def text_width(text, scale):
        return (len(text) * 6 - 1) * scale

    def write_bmp(self, path):
        stride = (self.width * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.pixels):
            line = b"".join(bytes((b, g, r)) for (r, g, b) in row)
            data += line + bytes(stride - len(line))
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, "wb") as out:
            out.write(header + info + data)


def vertical_gradient(top, bottom, height):
    def colour(_, y):
        t = y / max(height - 1, 1)
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
    return colour


def write_about_picture(path):
    width, height = 144, 144
    canvas = Canvas(width, height, vertical_gradient((214, 228, 242), (150, 178, 208), height))
    canvas.paint(render(Thermometer(level=0.36), 104, 104), 20, 4)
    scale = 2
    canvas.text("KORVATH", (width - Canvas.text_width("KORVATH", scale)) // 2, 118, scale, (30, 44, 70))
    canvas.write_bmp(path)


def write_home_page_button(path):
    width, height = 192, 50
    canvas = Canvas(width, height, vertical_gradient((236, 242, 248), (198, 214, 232), height))
    canvas.paint(render(Thermometer(level=0.36, ticks=False), 44, 44), 6, 3)
    canvas.text("KORVATH", 58, 9, 2, (30, 44, 70))
    canvas.text("HOME PAGE", 58, 30, 2, (40, 80, 160))
    canvas.write_bmp(path)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_images.py OUTPUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_icon(os.path.join(out, "korvath.ico"), [16, 32, 48])
    write_about_picture(os.path.join(out, "about.bmp"))
    write_home_page_button(os.path.join(out, "homepage.bmp"))


if __name__ == "__main__":
    main()
