#!/usr/bin/python3
# Draws the editor's icons, bitmaps and cursors as small pixel-art PNGs into this folder.
# Run once after changing a picture; the PNGs are kept in the repository and compiled in.
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

T = (0, 0, 0, 0)
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
GREY = (128, 128, 128, 255)
LIGHT = (200, 200, 200, 255)
DARK = (64, 64, 64, 255)
GREEN = (20, 150, 40, 255)
RED = (190, 30, 30, 255)
BLUE = (30, 80, 180, 255)
LBLUE = (120, 170, 230, 255)
YELLOW = (240, 200, 60, 255)
DYELLOW = (170, 130, 20, 255)
SCREEN = (150, 200, 150, 255)


class Canvas:
    def __init__(self, w, h, bg=T):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, pts, c):
        """Filled polygon by pixel centres."""
        for y in range(self.h):
            for x in range(self.w):
                px, py = x + 0.5, y + 0.5
                inside = False
                j = len(pts) - 1
                for i in range(len(pts)):
                    xi, yi = pts[i]
                    xj, yj = pts[j]
                    if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                        inside = not inside
                    j = i
                if inside:
                    self.set(x, y, c)

    def grid(self, x0, y0, rows, palette):
        """Paints a character map; '.' leaves the pixel as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != '.':
                    self.set(x0 + dx, y0 + dy, palette[ch])

    def png(self):
        raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in self.px)

        def chunk(kind, data):
            body = kind + data
            return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

        ihdr = struct.pack('>IIBBBBB', self.w, self.h, 8, 6, 0, 0, 0)
        return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(raw, 9))
                + chunk(b'IEND', b''))


PAL = {'k': BLACK, 'w': WHITE, 'g': GREY, 'l': LIGHT, 'd': DARK, 'G': GREEN, 'r': RED, 'b': BLUE,
       'B': LBLUE, 'y': YELLOW, 'Y': DYELLOW, 's': SCREEN}

NOTE_16 = [
    "......kk........",
    "......kkkk......",
    "......kk.kkk....",
    "......kk...kk...",
    "......kk....k...",
    "......kk........",
    "......kk........",
    "......kk........",
    "......kk........",
    "......kk........",
    "..kkkkkk........",
    ".kkkkkkk........",
    ".kkkkkkk........",
    "..kkkkk.........",
]

NOTE_12 = [
    ".....k......",
    ".....kkk....",
    ".....k.kk...",
    ".....k..k...",
    ".....k......",
    ".....k......",
    ".....k......",
    "..kkkk......",
    ".kkkkk......",
    ".kkkkk......",
    "..kkk.......",
]

PHONE = [
    "kkkkkk",
    "kssssk",
    "kssssk",
    "kssssk",
    "kkkkkk",
    "kwkwkk",
    "kkkkkk",
    "kwkwkk",
    "kkkkkk",
    "kwkwkk",
    "kkkkkk",
]


def phone(c, x, y):
    c.set(x + 4, y - 1, BLACK)
    c.set(x + 4, y - 2, BLACK)
    c.grid(x, y, PHONE, PAL)


def icon_melody_on_pc():
    c = Canvas(16, 16)
    # A loudspeaker with two sound waves.
    c.rect(1, 5, 4, 10, DARK)
    c.polygon([(5, 5), (9, 1), (9, 15), (5, 11)], DARK)
    c.rect(2, 6, 3, 9, GREY)
    for y in range(4, 12):
        c.set(11, y, BLUE)
    c.set(10, 3, BLUE)
    c.set(10, 12, BLUE)
    for y in range(3, 13):
        c.set(14, y, BLUE)
    c.set(13, 1, BLUE)
    c.set(13, 2, BLUE)
    c.set(13, 13, BLUE)
    c.set(13, 14, BLUE)
    return c


def icon_play():
    c = Canvas(16, 16)
    c.polygon([(4, 2), (4, 14), (13, 8)], GREEN)
    c.line(4, 2, 4, 13, (10, 100, 25, 255))
    return c


def icon_stop():
    c = Canvas(16, 16)
    c.rect(3, 3, 12, 12, RED)
    c.frame(3, 3, 12, 12, (120, 15, 15, 255))
    return c


def icon_read_out():
    c = Canvas(16, 16)
    phone(c, 9, 3)
    # Arrow from the phone towards the computer.
    c.rect(2, 7, 7, 8, BLUE)
    c.polygon([(0, 8), (4, 4), (4, 12)], BLUE)
    return c


def icon_open():
    c = Canvas(16, 16)
    c.grid(0, 2, [
        ".YYYY...........",
        "YyyyyY..........",
        "YyyyyyYYYYYYY...",
        "YyyyyyyyyyyyY...",
        "YyyYYYYYYYYYYYYY",
        "YyYyyyyyyyyyyyY.",
        "YyYyyyyyyyyyyyY.",
        "YYyyyyyyyyyyyY..",
        "YYyyyyyyyyyyyY..",
        "YyyyyyyyyyyyY...",
        "YYYYYYYYYYYYY...",
    ], PAL)
    return c


def icon_save():
    c = Canvas(16, 16)
    c.rect(1, 1, 14, 14, BLUE)
    c.rect(4, 1, 11, 6, WHITE)
    c.rect(9, 2, 10, 5, BLUE)
    c.rect(4, 9, 11, 14, LIGHT)
    c.frame(1, 1, 14, 14, (15, 40, 110, 255))
    c.set(14, 1, T)
    return c


def icon_note_12(active):
    c = Canvas(12, 12)
    c.grid(0, 0, NOTE_12, PAL)
    if active:
        # A green tick beside the note marks the tone the line plays.
        for x, y in [(6, 8), (7, 9), (8, 10), (9, 9), (10, 8), (11, 7)]:
            c.set(x, y, GREEN)
            c.set(x, y - 1, GREEN)
    return c


def icon_phone_with_note():
    c = Canvas(16, 16)
    phone(c, 1, 4)
    c.grid(8, 1, [
        "....kk..",
        "....kkkk",
        "....k..k",
        "....k...",
        "....k...",
        "....k...",
        "..kkk...",
        ".kkkk...",
        "..kk....",
    ], PAL)
    return c


def icon_transmit():
    c = Canvas(16, 16)
    phone(c, 9, 3)
    # Arrow from the computer towards the phone.
    c.rect(0, 7, 4, 8, GREEN)
    c.polygon([(8, 8), (4, 4), (4, 12)], GREEN)
    return c


def icon_wedge():
    # The mark for increasing volume: a ramp that rises to the right.
    c = Canvas(7, 12)
    c.polygon([(0, 12), (7, 0), (7, 12)], BLACK)
    return c


def icon_tick():
    c = Canvas(1, 12)
    c.rect(0, 0, 0, 11, BLACK)
    return c


def icon_bell(size):
    c = Canvas(size, size)
    m = size // 2
    if size == 12:
        c.grid(0, 0, [
            ".....kk.....",
            "....kyyk....",
            "...kyyyyk...",
            "...kyyyyk...",
            "...kyyyyk...",
            "..kyyyyyyk..",
            "..kyyyyyyk..",
            ".kyyyyyyyyk.",
            ".kkkkkkkkkk.",
            ".....kk.....",
        ], PAL)
    else:
        c.polygon([(m - 2, 2), (m + 2, 2), (m + 5, 12), (m - 5, 12)], YELLOW)
        c.rect(m - 6, 12, m + 5, 13, DYELLOW)
        c.rect(m - 1, 14, m, 15, DARK)
        c.rect(m - 1, 0, m, 1, DARK)
    return c


def icon_vibrate():
    c = Canvas(12, 12)
    c.grid(3, 1, [
        "kkkkkk",
        "kssssk",
        "kssssk",
        "kkkkkk",
        "kwkwkk",
        "kkkkkk",
        "kwkwkk",
        "kkkkkk",
    ], PAL)
    for y in (3, 5, 7):
        c.set(1, y, RED)
        c.set(10, y, RED)
    c.set(0, 4, RED)
    c.set(0, 6, RED)
    c.set(11, 4, RED)
    c.set(11, 6, RED)
    return c


def icon_globe():
    c = Canvas(16, 16)
    for y in range(16):
        for x in range(16):
            dx, dy = x - 7.5, y - 7.5
            d = dx * dx + dy * dy
            if d <= 49:
                c.set(x, y, LBLUE)
            if 42 <= d <= 56:
                c.set(x, y, BLUE)
    for x in range(1, 15):
        c.set(x, 7, BLUE)
    for y in range(1, 15):
        c.set(7, y, BLUE)
    c.grid(3, 3, ["GG...", "GGG..", ".GG..", "..G.."], PAL)
    c.grid(9, 9, [".GG", "GGG", ".G."], PAL)
    return c


def icon_two_notes():
    c = Canvas(16, 16)
    c.grid(0, 1, [
        "....kkkkkkkkkk..",
        "....kkkkkkkkkk..",
        "....k........k..",
        "....k........k..",
        "....k........k..",
        "....k........k..",
        "....k........k..",
        "....k........k..",
        "....k........k..",
        ".kkkk.....kkkk..",
        "kkkkk....kkkkk..",
        "kkkkk....kkkkk..",
        ".kkk......kkk...",
    ], PAL)
    return c


def icon_pencil():
    c = Canvas(16, 16)
    c.polygon([(2, 13), (11, 4), (13, 6), (4, 15)], YELLOW)
    c.polygon([(11, 4), (13, 2), (15, 4), (13, 6)], RED)
    c.polygon([(2, 13), (4, 15), (1, 16), (0, 15)], DARK)
    c.line(3, 13, 11, 5, DYELLOW)
    return c


def icon_info():
    c = Canvas(16, 16)
    for y in range(16):
        for x in range(16):
            dx, dy = x - 7.5, y - 7.5
            if dx * dx + dy * dy <= 56:
                c.set(x, y, BLUE)
    c.rect(7, 3, 8, 4, WHITE)
    c.rect(7, 6, 8, 12, WHITE)
    c.rect(6, 6, 6, 6, WHITE)
    c.rect(6, 12, 9, 12, WHITE)
    return c


def icon_clip_arrow(bar_at_left, arrow_left):
    """12 x 22 buttons that move one bound of the clip: a bar for the bound, an arrow for the way."""
    c = Canvas(12, 22)
    bx = 1 if bar_at_left else 10
    c.rect(bx, 2, bx, 19, BLUE)
    if bar_at_left:
        c.rect(bx + 1, 2, bx + 1, 19, LBLUE)
    else:
        c.rect(bx - 1, 2, bx - 1, 19, LBLUE)
    lo, hi = (3, 10) if bar_at_left else (1, 7)
    if arrow_left:
        c.polygon([(lo, 11), (lo + 4, 7), (lo + 4, 15)], BLACK)
        c.rect(lo + 4, 10, hi, 11, BLACK)
    else:
        c.polygon([(hi + 1, 11), (hi - 3, 7), (hi - 3, 15)], BLACK)
        c.rect(lo, 10, hi - 3, 11, BLACK)
    return c


def bitmap_ruler():
    # The time axis under the note view: 436 pixels from x = 2 map the whole length.
    c = Canvas(514, 18, (236, 236, 236, 255))
    c.rect(0, 0, 513, 0, GREY)
    c.rect(0, 1, 513, 1, WHITE)
    left, width = 2, 436
    for k in range(0, 41):
        x = left + round(k * width / 40)
        if k % 10 == 0:
            h = 12
        elif k % 5 == 0:
            h = 8
        else:
            h = 4
        c.rect(x, 2, x, 2 + h, BLACK)
    c.rect(left, 2, left + width, 2, DARK)
    c.rect(0, 17, 513, 17, GREY)
    return c


def bitmap_marker():
    # The clip marker: a pale, see-through-looking blue bar with a darker rim.
    c = Canvas(70, 27)
    for y in range(27):
        t = y / 26
        col = (int(150 + 60 * (1 - t)), int(190 + 40 * (1 - t)), 250, 255)
        c.rect(0, y, 69, y, col)
    c.frame(0, 0, 69, 26, BLUE)
    c.frame(1, 1, 68, 25, (200, 225, 255, 255))
    return c


def cursor(kind):
    """32 x 32 drag cursors: 106 moves the end, 107 the start, 108 the whole clip."""
    c = Canvas(32, 32)
    shape = Canvas(32, 32)
    if kind == 106:
        shape.rect(9, 8, 10, 23, BLACK)
        shape.rect(11, 15, 20, 16, BLACK)
        shape.polygon([(27, 16), (20, 9), (20, 23)], BLACK)
        hot = (10, 15)
    elif kind == 107:
        shape.rect(21, 8, 22, 23, BLACK)
        shape.rect(11, 15, 20, 16, BLACK)
        shape.polygon([(4, 16), (11, 9), (11, 23)], BLACK)
        hot = (21, 15)
    else:
        shape.rect(15, 8, 16, 23, BLACK)
        shape.rect(9, 15, 22, 16, BLACK)
        shape.polygon([(2, 16), (9, 9), (9, 23)], BLACK)
        shape.polygon([(29, 16), (22, 9), (22, 23)], BLACK)
        hot = (15, 15)
    # A white rim keeps the black shape readable on dark backgrounds.
    for y in range(32):
        for x in range(32):
            if shape.px[y][x] == T and any(
                    0 <= x + dx < 32 and 0 <= y + dy < 32 and shape.px[y + dy][x + dx] != T
                    for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                c.set(x, y, WHITE)
            elif shape.px[y][x] != T:
                c.set(x, y, BLACK)
    return c, hot


def main():
    images = {
        'icon-4065': icon_wedge(),
        'icon-4066': icon_tick(),
        'icon-4504': icon_melody_on_pc(),
        'icon-4505': icon_play(),
        'icon-4506': icon_stop(),
        'icon-4509': icon_read_out(),
        'icon-4513': icon_bell(12),
        'icon-4514': icon_vibrate(),
        'icon-4517': icon_globe(),
        'icon-4520': icon_open(),
        'icon-4521': icon_save(),
        'icon-4529': icon_note_12(True),
        'icon-4530': icon_note_12(False),
        'icon-4536': icon_clip_arrow(True, True),
        'icon-4537': icon_bell(16),
        'icon-4539': icon_clip_arrow(True, False),
        'icon-4563': icon_phone_with_note(),
        'icon-4565': icon_transmit(),
        'icon-4567': icon_two_notes(),
        'icon-4570': icon_pencil(),
        'icon-4571': icon_info(),
        'icon-4579': icon_clip_arrow(False, True),
        'icon-4583': icon_clip_arrow(False, False),
        'icon-4587': icon_melody_16(),
        'bitmap-4067': bitmap_ruler(),
        'bitmap-4532': bitmap_marker(),
    }
    for kind in (106, 107, 108):
        canvas, hot = cursor(kind)
        images['cursor-%d' % kind] = canvas
        print('cursor %d hot spot %d,%d' % (kind, hot[0], hot[1]))
    for name, canvas in images.items():
        with open(os.path.join(HERE, name + '.png'), 'wb') as f:
            f.write(canvas.png())
        print(name, canvas.w, canvas.h)


def icon_melody_16():
    c = Canvas(16, 16)
    c.grid(3, 1, NOTE_16, PAL)
    return c


if __name__ == '__main__':
    main()
