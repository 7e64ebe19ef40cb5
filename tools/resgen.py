#!/usr/bin/env python3
"""Writes the program's images for the resource script: tool-bar button bitmaps
(8-bit BMP, grey face so CreateMappedBitmap maps them to the system colours), the
program icons and the drawing cursors. Also writes toolbmp.rc2 (the BITMAP lines)
and toolbmp.inc (the bitmap table rows for the tool bars)."""
import argparse
import os
import struct

# Palette: the four colours CreateMappedBitmap maps, then drawing colours.
PAL = [(192, 192, 192), (0, 0, 0), (128, 128, 128), (255, 255, 255),
       (0, 0, 160), (176, 0, 0), (0, 128, 0), (200, 160, 0), (0, 128, 160)]
FACE, INK, SHADE, WHITE, BLUE, RED, GREEN, GOLD, TEAL = range(9)

DIGITS = {
    '0': ["111", "101", "101", "101", "111"], '1': ["010", "110", "010", "010", "111"],
    '2': ["111", "001", "111", "100", "111"], '3': ["111", "001", "111", "001", "111"],
    '4': ["101", "101", "111", "001", "001"], '5': ["111", "100", "111", "001", "111"],
    '6': ["111", "100", "111", "101", "111"], '7': ["111", "001", "010", "010", "010"],
    '8': ["111", "101", "111", "101", "111"], '9': ["111", "101", "111", "001", "111"],
    'A': ["010", "101", "111", "101", "101"], 'D': ["110", "101", "101", "101", "110"],
}


class Canvas:
    def __init__(self, size):
        self.n = size
        self.px = [[FACE] * size for _ in range(size)]

    def s(self, v):  # 16-unit design grid to pixels
        return int(round(v * (self.n - 1) / 15.0))

    def dot(self, x, y, c):
        if 0 <= x < self.n and 0 <= y < self.n:
            self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c=INK):
        x0, y0, x1, y1 = self.s(x0), self.s(y0), self.s(x1), self.s(y1)
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.dot(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def rect(self, x0, y0, x1, y1, c=INK, fill=None):
        if fill is not None:
            for y in range(self.s(y0), self.s(y1) + 1):
                for x in range(self.s(x0), self.s(x1) + 1):
                    self.dot(x, y, fill)
        self.line(x0, y0, x1, y0, c)
        self.line(x1, y0, x1, y1, c)
        self.line(x1, y1, x0, y1, c)
        self.line(x0, y1, x0, y0, c)

    def arc(self, cx, cy, r, a0=0, a1=360, c=INK):
        import math
        steps = 96
        pts = []
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + r * math.cos(a), cy - r * math.sin(a)))
        for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
            self.line(xa, ya, xb, yb, c)

    def text(self, t, c=INK):
        scale = 1 if self.n < 20 else 2 if self.n >= 24 and len(t) <= 2 else 1
        w = len(t) * 4 * scale - scale
        x = (self.n - w) // 2
        y = (self.n - 5 * scale) // 2
        for ch in t:
            for row, bits in enumerate(DIGITS[ch]):
                for col, b in enumerate(bits):
                    if b == '1':
                        for yy in range(scale):
                            for xx in range(scale):
                                self.dot(x + col * scale + xx, y + row * scale + yy, c)
            x += 4 * scale


def page(c):
    c.rect(3, 1, 11, 14, INK, WHITE)
    c.line(9, 1, 12, 4)
    c.line(12, 4, 12, 14)
    c.line(11, 14, 12, 14)


def folder(c):
    c.rect(1, 5, 14, 13, INK, GOLD)
    c.line(1, 4, 5, 4)
    c.line(5, 4, 6, 5)


def disk(c, plus=False):
    c.rect(2, 2, 13, 13, INK, BLUE)
    c.rect(4, 2, 11, 6, INK, WHITE)
    c.rect(5, 9, 10, 13, INK, SHADE)
    if plus:
        c.line(13, 9, 13, 15, RED)
        c.line(10, 12, 15, 12, RED)


def arrow(c, back):
    if back:
        c.arc(8, 9, 5, 90, 360, BLUE)
        c.line(8, 4, 4, 2, BLUE)
        c.line(8, 4, 5, 7, BLUE)
    else:
        c.arc(8, 9, 5, -180, 90, BLUE)
        c.line(8, 4, 12, 2, BLUE)
        c.line(8, 4, 11, 7, BLUE)


def lens(c, sign):
    c.arc(6, 6, 4.5, c=INK)
    c.line(9, 9, 14, 14)
    c.line(10, 9, 14, 13)
    c.line(4, 6, 8, 6, RED)
    if sign == '+':
        c.line(6, 4, 6, 8, RED)


def exit_door(c):
    c.rect(3, 1, 10, 14, INK, TEAL)
    c.line(8, 7, 14, 7, RED)
    c.line(14, 7, 12, 5, RED)
    c.line(14, 7, 12, 9, RED)


def grid(c, on=True):
    for v in (3, 7, 11):
        for u in (3, 7, 11):
            c.dot(c.s(u), c.s(v), INK if on else SHADE)
    if not on:
        c.line(1, 14, 14, 1, RED)


PICTURES = {
    0: lambda c: c.rect(6, 6, 9, 9, INK, INK),
    20: lambda c: [c.line(1, 13, 5, 4), c.line(5, 4, 10, 11), c.line(10, 11, 14, 2)],
    28: lambda c: c.rect(2, 4, 13, 11),
    35: lambda c: c.line(2, 13, 13, 2),
    40: lambda c: [c.arc(8, 8, 6), c.arc(8, 8, 3)],
    41: lambda c: [c.arc(8, 8, 6), c.line(8, 8, 14, 8, RED)],
    55: lambda c: [c.arc(8, 8, 6, c=SHADE), c.arc(8, 8, 3, c=SHADE)],
    60: lambda c: [c.arc(8, 10, 6, 0, 180), c.line(8, 10, 8, 10, RED)],
    63: lambda c: [c.arc(8, 10, 6, 0, 180), c.rect(1, 9, 3, 11, RED), c.rect(7, 3, 9, 5, RED),
                   c.rect(13, 9, 15, 11, RED)],
    75: lambda c: c.arc(8, 10, 6, 0, 180, SHADE),
    76: lambda c: c.arc(8, 10, 6, 30, 150, SHADE),
    100: lambda c: [c.rect(2, 2, 13, 13, SHADE), c.line(4, 4, 11, 11, RED), c.line(11, 4, 4, 11, RED)],
    101: lambda c: [c.line(3, 3, 12, 12, RED), c.line(12, 3, 3, 12, RED)],
    104: lambda c: [c.line(2, 12, 10, 4), c.line(12, 1, 12, 14, BLUE)],
    114: lambda c: [c.line(1, 8, 5, 8), c.line(10, 8, 14, 8), c.line(5, 8, 10, 8, RED)],
    116: lambda c: [c.rect(2, 2, 13, 13, SHADE), c.line(4, 11, 11, 4, RED)],
    120: lambda c: [c.line(2, 8, 13, 8, BLUE), c.line(13, 8, 10, 5, BLUE), c.line(13, 8, 10, 11, BLUE)],
    123: lambda c: [c.line(8, 1, 8, 14, SHADE), c.line(2, 4, 6, 11), c.line(14, 4, 10, 11)],
    130: lambda c: [c.line(2, 8, 13, 8, TEAL), c.line(13, 8, 10, 5, TEAL), c.line(13, 8, 10, 11, TEAL)],
    140: lambda c: [c.rect(1, 1, 8, 8), c.rect(6, 6, 14, 14, BLUE)],
    180: lambda c: [c.line(1, 14, 14, 14), c.text('A')],
    187: lambda c: [c.text('A', BLUE), c.rect(1, 1, 14, 14, SHADE)],
    195: lambda c: c.text('A'),
    196: lambda c: [c.arc(8, 8, 6, c=RED), c.text('D', RED)],
    197: lambda c: [c.text('A', GREEN)],
    198: lambda c: [c.text('A', RED), c.line(1, 14, 14, 14, RED)],
    300: page,
    301: folder,
    302: lambda c: [page(c), c.line(5, 6, 9, 10, RED), c.line(9, 6, 5, 10, RED)],
    330: disk,
    331: lambda c: disk(c, True),
    380: exit_door,
    400: lambda c: arrow(c, True),
    401: lambda c: arrow(c, False),
    405: lambda c: arrow(c, True),
    406: lambda c: arrow(c, False),
    500: lambda c: [c.rect(1, 3, 14, 12, INK, WHITE), c.rect(3, 5, 12, 10, GREEN)],
    502: lambda c: [c.arc(8, 8, 5, 30, 330, GREEN), c.line(12, 4, 13, 8, GREEN)],
    504: lambda c: lens(c, '+'),
    505: lambda c: lens(c, '-'),
    506: lambda c: [c.line(8, 1, 8, 14, BLUE), c.line(1, 8, 14, 8, BLUE), c.arc(8, 8, 3)],
    509: lambda c: [lens(c, '+'), c.rect(11, 1, 14, 4, SHADE)],
    510: lambda c: [lens(c, '-'), c.rect(11, 1, 14, 4, SHADE)],
    515: lambda c: [c.arc(8, 8, 5, 30, 330, BLUE), c.line(12, 4, 13, 8, BLUE)],
    516: lambda c: [c.rect(1, 3, 14, 12, INK, WHITE), c.rect(3, 5, 12, 10, BLUE)],
    708: lambda c: grid(c, True),
    709: lambda c: grid(c, False),
    710: lambda c: [grid(c, True), c.rect(2, 10, 5, 13, RED, RED)],
    711: lambda c: [grid(c, True), c.rect(1, 1, 14, 14, BLUE)],
    1000: lambda c: [c.rect(1, 4, 14, 11, INK, WHITE), c.text('3')],
}

# Commands whose button shows its number, the colour telling the family.
NUMBERED = {900 + i: BLUE for i in range(8)}
NUMBERED.update({920 + i: RED for i in range(12)})
NUMBERED.update({940 + i: GREEN for i in range(4)})
NUMBERED.update({960 + i: TEAL for i in range(7)})

# Bitmap resource ids (small, large) of some commands are fixed; the others are
# numbered from 2000 (small) and 3000 (large) in command order.
FIXED = {0: (101, 289), 20: (103, 260), 300: (177, 255), 330: (179, 257), 400: (208, 298),
         500: (168, 246), 710: (712, 713)}


def draw(command, size):
    c = Canvas(size)
    if command in PICTURES:
        PICTURES[command](c)
    else:
        c.text(str(command % 100) if command >= 100 else str(command), NUMBERED.get(command, INK))
    return c


def bmp8(canvas):
    n = canvas.n
    row = (n + 3) & ~3
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PAL)
    pal += b'\0' * (4 * (256 - len(PAL)))
    pixels = b''.join(bytes(canvas.px[y]) + b'\0' * (row - n) for y in reversed(range(n)))
    header = struct.pack('<IiiHHIIiiII', 40, n, n, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    off = 14 + len(header) + len(pal)
    return b'BM' + struct.pack('<IHHI', off + len(pixels), 0, 0, off) + header + pal + pixels


def icon_image(n, paint):
    """32-bit image with AND mask, as stored in .ico/.cur files."""
    px = [[(0, 0, 0, 0)] * n for _ in range(n)]
    paint(px, n)
    xor = b''.join(struct.pack('<BBBB', *px[y][x][2::-1], px[y][x][3]) for y in reversed(range(n))
                   for x in range(n))
    mrow = ((n + 31) // 32) * 4
    mask = b''
    for y in reversed(range(n)):
        bits = bytearray(mrow)
        for x in range(n):
            if px[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def icon_file(images, kind=1, hotspots=None):
    out = struct.pack('<HHH', 0, kind, len(images))
    off = 6 + 16 * len(images)
    body = b''
    for i, (n, data) in enumerate(images):
        a, b = (1, 32) if kind == 1 else hotspots[i]
        out += struct.pack('<BBBBHHII', n, n, 0, 0, a, b, len(data), off + len(body))
        body += data
    return out + body


def seal_icon(colour):
    def paint(px, n):
        import math
        c = (n - 1) / 2.0
        for y in range(n):
            for x in range(n):
                d = math.hypot(x - c, y - c)
                if d <= c - 0.5:
                    ring = d >= c - max(2, n // 10)
                    px[y][x] = colour + (255,) if ring else (255, 250, 240, 255)
        # a stylised seal character: two strokes across and one down
        for t in range(n // 4, n - n // 4):
            px[n // 3][t] = colour + (255,)
            px[2 * n // 3][t] = colour + (255,)
            px[t][n // 2] = colour + (255,)
    return paint


def cross_cursor(style):
    def paint(px, n):
        m = n // 2
        for i in range(n):
            if style in (0, 1) or abs(i - m) > 3:
                px[m][i] = (0, 0, 0, 255)
                px[i][m] = (0, 0, 0, 255)
        if style == 1:
            for i in range(m - 4, m + 5):
                px[m - 4][i] = px[m + 4][i] = px[i][m - 4] = px[i][m + 4] = (0, 0, 0, 255)
        if style == 3:
            for i in range(4, n - 4):
                px[i][i] = (0, 0, 0, 255)
    return paint


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--out', required=True)
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    commands = sorted(set(PICTURES) | set(NUMBERED))
    nxt_small, nxt_large = 2000, 3000
    rc_lines, rows = [], []
    for cmd in commands:
        if cmd in FIXED:
            small, large = FIXED[cmd]
        else:
            small, large = nxt_small, nxt_large
            nxt_small += 1
            nxt_large += 1
        for rid, size in ((small, 16), (large, 24)):
            name = 'tb%d_%d.bmp' % (cmd, size)
            with open(os.path.join(args.out, name), 'wb') as f:
                f.write(bmp8(draw(cmd, size)))
            rc_lines.append('%d BITMAP "%s"' % (rid, name))
        rows.append('{%d, %d, %d},' % (cmd, small, large))
    with open(os.path.join(args.out, 'toolbmp.rc2'), 'w') as f:
        f.write('\n'.join(rc_lines) + '\n')
    with open(os.path.join(args.out, 'toolbmp.inc'), 'w') as f:
        f.write('\n'.join(rows) + '\n')
    for name, colour in (('inkforge.ico', (200, 20, 30)), ('about.ico', (30, 60, 180)), ('drawing.ico', (20, 120, 60))):
        with open(os.path.join(args.out, name), 'wb') as f:
            f.write(icon_file([(32, icon_image(32, seal_icon(colour))), (16, icon_image(16, seal_icon(colour)))]))
    for name, style in (('pick.cur', 1), ('cross.cur', 0), ('gapcross.cur', 2), ('slash.cur', 3), ('drag.cur', 2)):
        with open(os.path.join(args.out, name), 'wb') as f:
            f.write(icon_file([(32, icon_image(32, cross_cursor(style)))], kind=2, hotspots=[(16, 16)]))


if __name__ == '__main__':
    main()
