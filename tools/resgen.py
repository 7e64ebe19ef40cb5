#!/usr/bin/env python3
"""Writes the program's images for the resource script: the tool-bar button bitmaps
drawn from the pictures of data/toolbmp.txt (16-colour BMPs on the button face, so
CreateMappedBitmap maps them to the system colours), the program icons and the
drawing cursors. Also writes toolbmp.rc2 (the BITMAP lines) and toolbmp.inc (the
bitmap table rows for the tool bars)."""
import argparse
import os
import struct

# The 16 standard colours; CreateMappedBitmap maps black, gray, silver and white
# to the system's button colours.
PAL = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
COLOURS = {name: i for i, name in enumerate(
    'black maroon green olive navy purple teal silver gray red lime yellow blue fuchsia aqua white'.split())}
FACE, INK = COLOURS['silver'], COLOURS['black']

GLYPHS = {
    '0': ["111", "101", "101", "101", "111"], '1': ["010", "110", "010", "010", "111"],
    '2': ["111", "001", "111", "100", "111"], '3': ["111", "001", "111", "001", "111"],
    '4': ["101", "101", "111", "001", "001"], '5': ["111", "100", "111", "001", "111"],
    '6': ["111", "100", "111", "101", "111"], '7': ["111", "001", "010", "010", "010"],
    '8': ["111", "101", "111", "101", "111"], '9': ["111", "101", "111", "001", "111"],
    'A': ["010", "101", "111", "101", "101"], 'D': ["110", "101", "101", "101", "110"],
    'H': ["101", "101", "111", "101", "101"], 'I': ["111", "010", "010", "010", "111"],
    '?': ["111", "001", "011", "000", "010"],
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
        scale = 2 if self.n >= 24 and len(t) <= 2 else 1
        w = len(t) * 4 * scale - scale
        x = (self.n - w) // 2
        y = (self.n - 5 * scale) // 2
        for ch in t:
            for row, bits in enumerate(GLYPHS[ch]):
                for col, b in enumerate(bits):
                    if b == '1':
                        for yy in range(scale):
                            for xx in range(scale):
                                self.dot(x + col * scale + xx, y + row * scale + yy, c)
            x += 4 * scale


class TableError(Exception):
    pass


def split_args(words, where):
    """Numbers first, then colour names."""
    nums, cols = [], []
    for w in words:
        if w in COLOURS:
            cols.append(COLOURS[w])
        elif not cols:
            try:
                nums.append(float(w))
            except ValueError:
                raise TableError('%s: bad word %r' % (where, w))
        else:
            raise TableError('%s: number after a colour' % where)
    return nums, cols


def paint(canvas, picture, shared, where, recolour=None, depth=0):
    def col(c):
        return recolour if recolour is not None and c == INK else c

    for stroke in filter(None, (s.strip() for s in picture.split(';'))):
        op, *words = stroke.split()
        if op == 'text':
            if not words or any(ch not in GLYPHS for ch in words[0]):
                raise TableError('%s: bad text' % where)
            _, cols = split_args(words[1:], where)
            canvas.text(words[0], col(cols[0] if cols else INK))
            continue
        if op == 'use':
            if not words or words[0] not in shared or depth > 4:
                raise TableError('%s: unknown picture %r' % (where, words[:1]))
            _, cols = split_args(words[1:], where)
            paint(canvas, shared[words[0]], shared, where, cols[0] if cols else recolour, depth + 1)
            continue
        nums, cols = split_args(words, where)
        c = col(cols[0] if cols else INK)
        if op == 'line' and len(nums) >= 4 and len(nums) % 2 == 0:
            for i in range(0, len(nums) - 2, 2):
                canvas.line(*nums[i:i + 4], c)
        elif op == 'rect' and len(nums) == 4:
            canvas.rect(*nums, c, col(cols[1]) if len(cols) > 1 else None)
        elif op == 'box' and len(nums) == 4:
            canvas.rect(*nums, c, c)
        elif op == 'arc' and len(nums) in (3, 5):
            canvas.arc(*nums, c=c)
        elif op == 'dot' and len(nums) == 2:
            canvas.dot(canvas.s(nums[0]), canvas.s(nums[1]), c)
        else:
            raise TableError('%s: bad stroke %r' % (where, stroke))


def read_table(path):
    """Rows (command, small id, large id, picture) and the shared pictures."""
    rows, shared = [], {}
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            where = '%s:%d' % (path, number)
            if '|' not in line:
                raise TableError('%s: no picture' % where)
            head, picture = (p.strip() for p in line.split('|', 1))
            if head.startswith('@'):
                shared[head[1:]] = picture
                continue
            fields = head.split()
            if len(fields) != 3:
                raise TableError('%s: want command, small and large id' % where)
            command, small, large = (int(v) for v in fields)
            if not 0 <= command <= 1099:
                raise TableError('%s: command out of range' % where)
            rows.append((command, small, large, picture, where))
    seen_cmd, seen_id = set(), set()
    for command, small, large, _, where in rows:
        if command in seen_cmd or small in seen_id or large in seen_id or small == large:
            raise TableError('%s: command or id given twice' % where)
        seen_cmd.add(command)
        seen_id.update((small, large))
    return rows, shared


def bmp4(canvas):
    n = canvas.n
    row = ((n + 1) // 2 + 3) & ~3
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PAL)
    lines = []
    for y in reversed(range(n)):
        px = canvas.px[y] + [0]
        packed = bytes((px[x] << 4) | (px[x + 1] if x + 1 < n else 0) for x in range(0, n, 2))
        lines.append(packed + b'\0' * (row - len(packed)))
    pixels = b''.join(lines)
    header = struct.pack('<IiiHHIIiiII', 40, n, n, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
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
    ap.add_argument('--table', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data',
                                                    'toolbmp.txt'))
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    try:
        rows, shared = read_table(args.table)
        rc_lines, table = [], []
        for command, small, large, picture, where in rows:
            for rid, size in ((small, 16), (large, 24)):
                canvas = Canvas(size)
                paint(canvas, picture, shared, where)
                name = 'tb%d_%d.bmp' % (command, size)
                with open(os.path.join(args.out, name), 'wb') as f:
                    f.write(bmp4(canvas))
                rc_lines.append('%d BITMAP "%s"' % (rid, name))
            table.append('{%d, %d, %d},' % (command, small, large))
    except (TableError, ValueError) as e:
        raise SystemExit('resgen: %s' % e)
    with open(os.path.join(args.out, 'toolbmp.rc2'), 'w') as f:
        f.write('\n'.join(rc_lines) + '\n')
    with open(os.path.join(args.out, 'toolbmp.inc'), 'w') as f:
        f.write('\n'.join(table) + '\n')
    for name, colour in (('inkforge.ico', (200, 20, 30)), ('about.ico', (30, 60, 180)), ('drawing.ico', (20, 120, 60))):
        with open(os.path.join(args.out, name), 'wb') as f:
            f.write(icon_file([(32, icon_image(32, seal_icon(colour))), (16, icon_image(16, seal_icon(colour)))]))
    for name, style in (('pick.cur', 1), ('cross.cur', 0), ('gapcross.cur', 2), ('slash.cur', 3), ('drag.cur', 2)):
        with open(os.path.join(args.out, name), 'wb') as f:
            f.write(icon_file([(32, icon_image(32, cross_cursor(style)))], kind=2, hotspots=[(16, 16)]))


if __name__ == '__main__':
    main()
