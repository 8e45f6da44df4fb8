#!/usr/bin/env python3
"""Draws the installer's artwork and writes it as .ico and .bmp files.

Usage: make_artwork.py [OUTPUT_DIR]   (default: res/art beside this tool's repository root)

Everything is drawn in code from a small pixel font of our own, so the output is the same
bytes on every run and every machine. Standard library only.
"""

import os
import struct
import sys

# The 16 colours of the standard VGA palette, in the order Windows uses for 4-bit images.
VGA = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DRED, DGREEN, DYELLOW, DBLUE, DMAGENTA, DCYAN, LGREY = range(8)
DGREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)

# A 5 x 7 pixel font, one string of five characters per row, '#' for ink.
FONT = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "I": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "X": ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    "a": ["     ", "     ", " ### ", "    #", " ####", "#   #", " ####"],
    "c": ["     ", "     ", " ### ", "#    ", "#    ", "#    ", " ### "],
    "d": ["    #", "    #", " ####", "#   #", "#   #", "#   #", " ####"],
    "e": ["     ", "     ", " ### ", "#   #", "#####", "#    ", " ### "],
    "i": ["  #  ", "     ", " ##  ", "  #  ", "  #  ", "  #  ", " ### "],
    "l": [" ##  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "n": ["     ", "     ", "#### ", "#   #", "#   #", "#   #", "#   #"],
    "o": ["     ", "     ", " ### ", "#   #", "#   #", "#   #", " ### "],
    "r": ["     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "],
    "t": [" #   ", " #   ", "#### ", " #   ", " #   ", " #  #", "  ## "],
    "v": ["     ", "     ", "#   #", "#   #", "#   #", " # # ", "  #  "],
}
GLYPH_W, GLYPH_H = 5, 7


class Canvas:
    """A grid of palette indices; None is a transparent pixel (icons only)."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.px = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the inclusive rectangle x0..x1, y0..y1."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.set(x, y0, colour)
            self.set(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.set(x0, y, colour)
            self.set(x1, y, colour)

    def bevel(self, x0, y0, x1, y1, light, dark):
        """A one-pixel 3-D edge: light on the top and left, dark on the bottom and right."""
        for x in range(x0, x1 + 1):
            self.set(x, y0, light)
            self.set(x, y1, dark)
        for y in range(y0, y1 + 1):
            self.set(x0, y, light)
            self.set(x1, y, dark)

    def line(self, x0, y0, x1, y1, colour):
        """Bresenham line, both ends included."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy


def text_pixels(text, scale=1, spacing=1):
    """The ink pixels of text in the pixel font, top-left at (0, 0), and the text's width."""
    pixels = []
    x = 0
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, cell in enumerate(row):
                if cell == "#":
                    for sy in range(scale):
                        for sx in range(scale):
                            pixels.append((x + gx * scale + sx, gy * scale + sy))
        x += (GLYPH_W + spacing) * scale
    return pixels, x - spacing * scale


def draw_text(canvas, x, y, text, colour, scale=1, spacing=1):
    pixels, _ = text_pixels(text, scale, spacing)
    for px, py in pixels:
        canvas.set(x + px, y + py, colour)


def text_width(text, scale=1, spacing=1):
    return text_pixels(text, scale, spacing)[1]


# ---- file formats -------------------------------------------------------------------------


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)


def pixel_rows(canvas, bits):
    """The image's rows bottom-up, packed at 4 or 8 bits per pixel, each padded to 4 bytes."""
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        values = [c if c is not None else 0 for c in canvas.px[y]]
        if bits == 8:
            row = bytes(values)
        else:
            if len(values) % 2:
                values.append(0)
            row = bytes((values[i] << 4) | values[i + 1] for i in range(0, len(values), 2))
        rows.append(row + b"\0" * (-len(row) % 4))
    return b"".join(rows)


def mask_rows(canvas):
    """The AND mask bottom-up at 1 bit per pixel: 1 where the pixel is transparent."""
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        bits = [1 if c is None else 0 for c in canvas.px[y]]
        bits += [0] * (-len(bits) % 8)
        row = bytes(
            sum(bit << (7 - i) for i, bit in enumerate(bits[j:j + 8]))
            for j in range(0, len(bits), 8))
        rows.append(row + b"\0" * (-len(row) % 4))
    return b"".join(rows)


def info_header(width, height, bits, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colours_used, 0)


def bmp_bytes(canvas, bits, palette):
    pixels = pixel_rows(canvas, bits)
    colours = palette_bytes(palette)
    header = info_header(canvas.width, canvas.height, bits, len(pixels), len(palette))
    offset = 14 + len(header) + len(colours)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + header + colours + pixels


def ico_bytes(canvases):
    """An icon file of 16-colour images with their AND masks."""
    images = []
    for canvas in canvases:
        xor = pixel_rows(canvas, 4)
        mask = mask_rows(canvas)
        header = info_header(canvas.width, canvas.height * 2, 4, len(xor) + len(mask), 0)
        images.append(header + palette_bytes(VGA) + xor + mask)
    directory = struct.pack("<HHH", 0, 1, len(canvases))
    offset = len(directory) + 16 * len(canvases)
    for canvas, image in zip(canvases, images):
        directory += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 16, 0, 1,
                                 4, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


# ---- the pictures ---------------------------------------------------------------------------


def app_icon_32():
    c = Canvas(32, 32, None)
    # A blue tile with a raised edge, the name on it in two lines.
    c.rect(1, 1, 30, 30, DBLUE)
    c.bevel(1, 1, 30, 30, BLUE, BLACK)
    c.set(1, 1, None)
    c.set(30, 1, None)
    c.set(1, 30, None)
    c.set(30, 30, None)
    for word, y in (("TOL", 5), ("VANE", 19)):
        x = (32 - text_width(word)) // 2
        draw_text(c, x + 1, y + 1, word, BLACK)
        draw_text(c, x, y, word, WHITE if word == "TOL" else YELLOW)
    c.line(5, 15, 26, 15, CYAN)
    return c


def app_icon_16():
    c = Canvas(16, 16, None)
    c.rect(0, 0, 15, 15, DBLUE)
    c.bevel(0, 0, 15, 15, BLUE, BLACK)
    c.set(0, 0, None)
    c.set(15, 0, None)
    c.set(0, 15, None)
    c.set(15, 15, None)
    draw_text(c, 2, 4, "T", WHITE)
    draw_text(c, 8, 4, "v", YELLOW)
    return c


PAPER = (4, 3, 23, 28)  # inclusive x0, y0, x1, y1 of the sheet
WRITING_Y = 20  # baseline of the line being written
DONE_LINES = (8, 12, 16)  # baselines of the lines already written


def scribble(c, x0, x1, baseline, colour):
    """A line of handwriting: little up-and-down strokes with small gaps between words."""
    heights = (1, 2, 1, 0, 2, 1, 2, 0)
    for x in range(x0, x1 + 1):
        step = x - x0
        if step % 6 == 5:
            continue  # the gap between two words
        h = heights[step % len(heights)]
        c.set(x, baseline - h, colour)
        c.set(x, baseline, colour)


def draw_pencil(c, tip_x, tip_y):
    """A pencil lying at 45 degrees, its point at (tip_x, tip_y), the rest up and to the right."""
    length = 24  # along the pencil, in half-diagonal steps
    for y in range(c.height):
        for x in range(c.width):
            u = (x - tip_x) - (y - tip_y)  # distance along the pencil (2 per diagonal pixel)
            v = (x - tip_x) + (y - tip_y)  # distance across it
            if u < 0 or u > length:
                continue
            half = min(u // 2, 3)  # the cone widens to the body's half-width of 3
            if abs(v) > half:
                continue
            if u <= 2:
                colour = BLACK  # graphite point
            elif u <= 6:
                colour = DYELLOW if abs(v) == half else LGREY  # sharpened wood
            elif u <= 17:
                colour = DYELLOW if abs(v) == half else (YELLOW if v <= 0 else DYELLOW)
            elif u <= 20:
                colour = DGREY if abs(v) == half else LGREY  # metal band
            else:
                colour = DRED if abs(v) == half else RED  # eraser
            c.set(x, y, colour)


def spin_frame(index):
    """Frame index 0, 1, 2: the line being written grows and the pencil moves along it."""
    c = Canvas(32, 32, None)
    x0, y0, x1, y1 = PAPER
    c.rect(x0, y0, x1, y1, WHITE)
    c.frame(x0, y0, x1, y1, BLACK)
    # Folded top-right corner.
    for i in range(4):
        for j in range(4 - i):
            c.set(x1 - j, y0 + i, None)
    c.line(x1 - 4, y0, x1, y0 + 4, BLACK)
    c.line(x1 - 4, y0, x1 - 4, y0 + 4, DGREY)
    c.line(x1 - 4, y0 + 4, x1, y0 + 4, DGREY)
    c.rect(x1 - 3, y0 + 1, x1 - 3, y0 + 3, LGREY)
    c.rect(x1 - 2, y0 + 2, x1 - 2, y0 + 3, LGREY)
    c.set(x1 - 1, y0 + 3, LGREY)
    # Shadow of the sheet.
    c.line(x0 + 1, y1 + 1, x1 + 1, y1 + 1, DGREY)
    c.line(x1 + 1, y0 + 5, x1 + 1, y1 + 1, DGREY)
    for baseline in DONE_LINES:
        scribble(c, x0 + 3, x1 - 3 if baseline != DONE_LINES[0] else x1 - 6, baseline, DBLUE)
    end = x0 + 4 + 4 * index
    scribble(c, x0 + 3, end, WRITING_Y, DBLUE)
    draw_pencil(c, end + 1, WRITING_Y)
    return c


def banner_palette():
    """VGA colours first, then a sky ramp, a brindle (warm brown) ramp, and greys to 256."""
    palette = list(VGA)
    for i in range(80):  # 16..95: sky, deep blue at the top to pale at the bottom
        t = i / 79
        palette.append((int(0x10 + t * (0xE0 - 0x10)), int(0x30 + t * (0xEC - 0x30)),
                        int(0x70 + t * (0xF8 - 0x70))))
    for i in range(64):  # 96..159: brindle, dark brown to gold
        t = i / 63
        palette.append((int(0x3C + t * (0xE8 - 0x3C)), int(0x22 + t * (0xB0 - 0x22)),
                        int(0x10 + t * (0x50 - 0x10))))
    while len(palette) < 256:  # 160..255: neutral greys
        g = int((len(palette) - 160) * 255 / 95)
        palette.append((g, g, g))
    return palette


SKY, BRINDLE, GREYS = 16, 96, 160


def banner():
    """The maker's mark: a small cottage whose roof carries brindle stripes, and the name."""
    c = Canvas(100, 50, 0)
    for y in range(50):
        for x in range(100):
            c.set(x, y, SKY + (y * 79) // 49)
    cx = 50
    # Roof: a triangle, apex at (cx, 3), eaves at y 17, striped diagonally in two browns.
    for y in range(3, 18):
        half = (y - 3) * 13 // 14 + 1
        for x in range(cx - half, cx + half + 1):
            stripe = ((x + 2 * y) // 3) % 2
            shade = 20 + (y - 3) * 2
            c.set(x, y, BRINDLE + (shade + 30 if stripe else shade))
        c.set(cx - half, y, BRINDLE)
        c.set(cx + half, y, BRINDLE)
    # Walls with a door and a window.
    c.rect(cx - 11, 18, cx + 11, 31, GREYS + 88)
    c.frame(cx - 11, 18, cx + 11, 31, BRINDLE)
    c.rect(cx - 3, 23, cx + 2, 31, BRINDLE + 12)
    c.set(cx + 1, 27, BRINDLE + 63)
    c.rect(cx + 5, 22, cx + 9, 26, BRINDLE + 50)
    c.frame(cx + 5, 22, cx + 9, 26, BRINDLE)
    c.line(cx + 7, 22, cx + 7, 26, BRINDLE)
    c.line(cx + 5, 24, cx + 9, 24, BRINDLE)
    c.rect(cx - 9, 22, cx - 6, 26, BRINDLE + 50)
    c.frame(cx - 9, 22, cx - 6, 26, BRINDLE)
    # Chimney on the right slope.
    c.rect(cx + 6, 5, cx + 8, 10, BRINDLE + 8)
    # Ground.
    c.line(cx - 16, 32, cx + 16, 32, BRINDLE + 4)
    # The name, with a shadow.
    name = "Brindlecot"
    x = (100 - text_width(name)) // 2
    draw_text(c, x + 1, 38, name, BRINDLE)
    draw_text(c, x, 37, name, WHITE)
    return c


def logo():
    """The product name, raised in 3-D from a light grey panel, in the four mapped colours."""
    c = Canvas(100, 50, LGREY)
    c.bevel(0, 0, 99, 49, WHITE, BLACK)
    c.bevel(1, 1, 98, 48, LGREY, DGREY)
    name = "Tolvane"
    pixels, width = text_pixels(name, scale=2, spacing=1)
    x0 = (100 - width) // 2 - 1
    y0 = 10
    ink = {(x0 + x, y0 + y) for x, y in pixels}
    # Chiselled letters: a dark face, lit from the top left, casting a shadow to the bottom right.
    for y in range(50):
        for x in range(100):
            if (x, y) in ink:
                c.set(x, y, DGREY)
            elif (x - 1, y - 1) in ink or (x - 2, y - 2) in ink:
                c.set(x, y, BLACK)
            elif (x + 1, y + 1) in ink:
                c.set(x, y, WHITE)
    # An engraved rule under the name.
    c.line(10, 34, 89, 34, DGREY)
    c.line(11, 35, 90, 35, WHITE)
    return c


def logo_sub():
    c = Canvas(44, 10, LGREY)
    word = "ACTIVEX"
    draw_text(c, (44 - text_width(word)) // 2, 1, word, RED)
    return c


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "res", "art")
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "app.ico"), ico_bytes([app_icon_32(), app_icon_16()]))
    for i in range(3):
        write(os.path.join(out, "spin%d.ico" % (i + 1)), ico_bytes([spin_frame(i)]))
    write(os.path.join(out, "banner.bmp"), bmp_bytes(banner(), 8, banner_palette()))
    write(os.path.join(out, "logo.bmp"), bmp_bytes(logo(), 4, VGA))
    write(os.path.join(out, "logo_sub.bmp"), bmp_bytes(logo_sub(), 4, VGA))
    return 0


if __name__ == "__main__":
    sys.exit(main())
