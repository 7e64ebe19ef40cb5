#!/usr/bin/env python3
"""Builds the stroke-font files from public stroke data.

  kanji, kana and the symbols KanjiVG covers: KanjiVG centre lines (cubic Beziers,
  109 x 109 box, y down), flattened into polylines;
  Latin, full-width alphanumerics, Greek, Cyrillic, punctuation: Hershey .jhf fonts.

Writes the high-quality set (inkfrghq.idx/.kj1/.kj2, 350-unit cell, y up) and the
standard set (ikfrgstd.idx/.knj, 16 x 16 grid) plus NOTICE into the output folder.
The output depends only on the inputs: two runs give the same bytes.
"""

import argparse
import math
import os
import re
import struct
import sys
import unicodedata

CELL = 350
FULL = 35  # glyph width in tenths of the cell
FLAT_TOL = 0.8  # font units
KVG_BOX = 109.0

# Hershey: cap height from y -12 to the baseline at 9 (y down).
H_SCALE = 240.0 / 21.0
H_BASE = 80.0

GREEK = 'ABGDEZHQIKLMNXOPRSTUFCYW'  # Hershey letters for Alpha..Omega in JIS order
# Cyrillic in JIS order (А..Я with Ё after Е); None = composed below.
CYR_UPPER = ['A', 'B', 'V', 'G', 'D', '[', None, 'H', 'Z', 'I', 'E', 'K', 'L', 'M', 'N', 'O', 'P', 'R', 'S',
             'T', 'Y', 'F', 'X', '`', 'J', 'Q', 'W', ']', None, '_', 'C', 'U', '^']
CYR_LOWER = ['a', 'b', 'v', 'g', 'd', '{', None, 'h', 'z', 'i', 'e', 'k', 'l', 'm', 'n', 'o', 'p', 'r', 's',
             't', 'y', 'f', 'x', None, 'j', 'q', 'w', '|', None, '~', None, 'u', '}']


# --- Hershey ------------------------------------------------------------------

def load_jhf(path):
    """Glyphs of a .jhf file by character (the file's order from the blank)."""
    text = ''.join(line.rstrip('\r\n') for line in open(path, encoding='latin-1'))
    glyphs = []
    i = 0
    while i + 8 <= len(text):
        n = int(text[i + 5:i + 8])
        data = text[i + 8:i + 8 + 2 * n]
        i += 8 + 2 * n
        left, right = ord(data[0]) - 82, ord(data[1]) - 82
        strokes, cur = [], []
        for k in range(1, n):
            a, b = data[2 * k], data[2 * k + 1]
            if a == ' ' and b == 'R':
                if cur:
                    strokes.append(cur)
                cur = []
            else:
                cur.append((ord(a) - 82, ord(b) - 82))
        if cur:
            strokes.append(cur)
        glyphs.append((left, right, strokes))
    return {chr(32 + k): g for k, g in enumerate(glyphs)}


def hershey_cell(glyph):
    """Hershey strokes centred in the cell, y up."""
    left, right, strokes = glyph
    mid = (left + right) / 2.0
    return [[(CELL / 2 + (x - mid) * H_SCALE, H_BASE + (9 - y) * H_SCALE) for x, y in s] for s in strokes]


def compose_cyrillic(cyr):
    """Letters the Hershey Cyrillic font lacks, from its other letters."""
    def dots(glyph, y):
        l, r, s = glyph
        return (l, r, s + [[(-3, y), (-3, y + 1)], [(3, y), (3, y + 1)]])
    out = {}
    out['Ё'] = dots(cyr['['], -16)
    out['ё'] = dots(cyr['{'], -9)
    l, r, s = cyr['_']
    out['Ы'] = (l - 3, r + 3, [[(x - 3, y) for x, y in st] for st in s] + [[(r - 2, -12), (r - 2, 9)]])
    l, r, s = cyr['~']
    out['ы'] = (l - 3, r + 3, [[(x - 3, y) for x, y in st] for st in s] + [[(r - 2, -5), (r - 2, 9)]])
    for upper, lower in (('`', 'ц'), ('C', 'э')):  # capitals brought down to the lower-case height
        l, r, s = cyr[upper]
        out[lower] = (l, r, [[(x, 9 - (9 - y) * 14.0 / 21.0) for x, y in st] for st in s])
    return out


# --- KanjiVG ------------------------------------------------------------------

NUM = re.compile(r'[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?')
TOK = re.compile(r'[MmCcSsLlZzHhVv]|[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?')
PATH = re.compile(r'<path[^>]*\sd="([^"]*)"')


def flatten(p0, p1, p2, p3, out, depth=0):
    # Distance of the control points from the chord decides the split.
    dx, dy = p3[0] - p0[0], p3[1] - p0[1]
    d = math.hypot(dx, dy)
    if d > 1e-9:
        e1 = abs((p1[0] - p0[0]) * dy - (p1[1] - p0[1]) * dx) / d
        e2 = abs((p2[0] - p0[0]) * dy - (p2[1] - p0[1]) * dx) / d
    else:
        e1 = math.hypot(p1[0] - p0[0], p1[1] - p0[1])
        e2 = math.hypot(p2[0] - p0[0], p2[1] - p0[1])
    if max(e1, e2) <= FLAT_TOL or depth >= 10:
        out.append(p3)
        return
    m01 = ((p0[0] + p1[0]) / 2, (p0[1] + p1[1]) / 2)
    m12 = ((p1[0] + p2[0]) / 2, (p1[1] + p2[1]) / 2)
    m23 = ((p2[0] + p3[0]) / 2, (p2[1] + p3[1]) / 2)
    a = ((m01[0] + m12[0]) / 2, (m01[1] + m12[1]) / 2)
    b = ((m12[0] + m23[0]) / 2, (m12[1] + m23[1]) / 2)
    m = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
    flatten(p0, m01, a, m, out, depth + 1)
    flatten(m, b, m23, p3, out, depth + 1)


def kvg_strokes(svg):
    """Polylines of one KanjiVG file in cell units, y up."""
    def cell(x, y):
        return (x * CELL / KVG_BOX, (KVG_BOX - y) * CELL / KVG_BOX)
    strokes = []
    for d in PATH.findall(svg):
        toks = TOK.findall(d)
        i, cmd = 0, None
        cur = (0.0, 0.0)
        start = cur
        last_ctrl = None
        pts = []

        def nums(k):
            nonlocal i
            v = [float(t) for t in toks[i:i + k]]
            i += k
            return v
        while i < len(toks):
            if toks[i].isalpha():
                cmd = toks[i]
                i += 1
                if cmd in 'Zz':
                    pts.append(start)
                    cur = start
                    continue
            if cmd is None:
                break
            rel = cmd.islower()
            c = cmd.upper()
            ox, oy = (cur if rel else (0.0, 0.0))
            if c == 'M':
                x, y = nums(2)
                cur = (ox + x, oy + y)
                start = cur
                if len(pts) > 1:
                    strokes.append(pts)
                pts = [cell(*cur)]
                cmd = 'l' if rel else 'L'
                last_ctrl = None
            elif c == 'L':
                x, y = nums(2)
                cur = (ox + x, oy + y)
                pts.append(cell(*cur))
                last_ctrl = None
            elif c == 'H':
                (x,) = nums(1)
                cur = ((ox if rel else 0.0) + x, cur[1])
                pts.append(cell(*cur))
                last_ctrl = None
            elif c == 'V':
                (y,) = nums(1)
                cur = (cur[0], (oy if rel else 0.0) + y)
                pts.append(cell(*cur))
                last_ctrl = None
            elif c in 'CS':
                if c == 'C':
                    x1, y1, x2, y2, x, y = nums(6)
                    c1 = (ox + x1, oy + y1)
                else:
                    x2, y2, x, y = nums(4)
                    c1 = (2 * cur[0] - last_ctrl[0], 2 * cur[1] - last_ctrl[1]) if last_ctrl else cur
                c2 = (ox + x2, oy + y2)
                end = (ox + x, oy + y)
                out = []
                flatten(cell(*cur), cell(*c1), cell(*c2), cell(*end), out)
                pts.extend(out)
                cur, last_ctrl = end, c2
            else:
                raise ValueError('path command ' + cmd)
        if len(pts) > 1:
            strokes.append(pts)
    return strokes


# --- synthesised symbols ------------------------------------------------------

def circles(*radii):
    return {'circles': [(CELL / 2, CELL / 2, r) for r in radii]}


def turned(strokes):
    """The strokes turned half round (closing forms of brackets)."""
    return [[(CELL - x, CELL - y) for x, y in st] for st in strokes]


def mirrored(strokes):
    return [[(CELL - x, y) for x, y in st] for st in strokes]


def dot(x, y):
    return [(x, y), (x, y + 8)]


def ring(cx, cy, r, n=12):
    return [(cx + r * math.cos(2 * math.pi * k / n), cy + r * math.sin(2 * math.pi * k / n)) for k in range(n + 1)]


def star():
    pts = []
    for k in range(11):
        r = 160 if k % 2 == 0 else 65
        a = math.pi / 2 + k * math.pi / 5
        pts.append((175 + r * math.cos(a), 170 + r * math.sin(a)))
    return [pts]


OPEN_BRACKETS = {
    '\u300c': [[(240, 320), (130, 320), (130, 150)]],  # 「
    '\u300e': [[(250, 330), (110, 330), (110, 130), (150, 130), (150, 290), (250, 290), (250, 330)]],  # 『
    '\u3014': [[(230, 330), (170, 290), (170, 60), (230, 20)]],  # 〔
    '\u3008': [[(230, 330), (130, 175), (230, 20)]],  # 〈
    '\u300a': [[(260, 330), (160, 175), (260, 20)], [(200, 330), (100, 175), (200, 20)]],  # 《
    '\u3010': [[(230, 330), (110, 330), (110, 20), (230, 20), (170, 70), (170, 280), (230, 330)]],  # 【
}
CLOSERS = {'\u300d': '\u300c', '\u300f': '\u300e'}  # turned
MIRRORS = {'\u3015': '\u3014', '\u3009': '\u3008', '\u300b': '\u300a', '\u3011': '\u3010'}

SYMBOLS = {
    '\u3000': [],  # ideographic space: a glyph without strokes
    '\uffe5': [[(85, 320), (175, 190), (265, 320)], [(175, 190), (175, 60)], [(105, 180), (245, 180)],
                [(105, 130), (245, 130)]],  # yen
    '\u2225': [[(145, 330), (145, 20)], [(205, 330), (205, 20)]],  # double vertical line
    '\u2010': [[(120, 175), (230, 175)]],
    '\u2015': [[(10, 175), (340, 175)]],
    '\u2026': [dot(60, 60), dot(175, 60), dot(290, 60)],
    '\u2025': [dot(115, 60), dot(235, 60)],
    '\u2018': [[(200, 320), (170, 280), (180, 250)]],
    '\u2019': [[(170, 320), (190, 290), (160, 250)]],
    '\u201c': [[(160, 320), (130, 280), (140, 250)], [(240, 320), (210, 280), (220, 250)]],
    '\u201d': [[(130, 320), (150, 290), (120, 250)], [(210, 320), (230, 290), (200, 250)]],
    '\u3003': [[(120, 300), (160, 230)], [(200, 300), (240, 230)]],
    '\u00b1': [[(175, 290), (175, 110)], [(85, 200), (265, 200)], [(85, 60), (265, 60)]],
    '\u00d7': [[(90, 260), (260, 90)], [(90, 90), (260, 260)]],
    '\u00f7': [[(80, 175), (270, 175)], dot(175, 255), dot(175, 85)],
    '\u2260': [[(80, 210), (270, 210)], [(80, 140), (270, 140)], [(230, 290), (120, 60)]],
    '\u00b0': [ring(110, 290, 30)],
    '\u2032': [[(190, 320), (160, 240)]],
    '\u2033': [[(160, 320), (130, 240)], [(230, 320), (200, 240)]],
    '\u203b': [[(100, 250), (250, 100)], [(100, 100), (250, 250)], dot(175, 270), dot(175, 70), dot(75, 171),
                dot(275, 171)],
    '\u3012': [[(70, 310), (280, 310)], [(70, 230), (280, 230)], [(175, 230), (175, 30)]],
    '\u2192': [[(40, 175), (310, 175)], [(230, 250), (310, 175), (230, 100)]],
    '\u2190': [[(310, 175), (40, 175)], [(120, 250), (40, 175), (120, 100)]],
    '\u2191': [[(175, 30), (175, 320)], [(100, 240), (175, 320), (250, 240)]],
    '\u2193': [[(175, 320), (175, 30)], [(100, 110), (175, 30), (250, 110)]],
    '\u2606': star(),
    '\u25b3': [[(175, 320), (30, 50), (320, 50), (175, 320)]],
    '\u25bd': [[(175, 30), (30, 300), (320, 300), (175, 30)]],
    '\u25a1': [[(50, 300), (300, 300), (300, 50), (50, 50), (50, 300)]],
    '\u25c7': [[(175, 330), (320, 175), (175, 20), (30, 175), (175, 330)]],
}
SYMBOLS['\u00a5'] = SYMBOLS['\uffe5']
SYMBOLS['\u2016'] = SYMBOLS['\u2225']


def synth(u):
    """Symbols drawn here: brackets, quotes, a few signs, the yen sign and circles."""
    if u in SYMBOLS:
        return SYMBOLS[u]
    if u in OPEN_BRACKETS:
        return OPEN_BRACKETS[u]
    if u in CLOSERS:
        return turned(OPEN_BRACKETS[CLOSERS[u]])
    if u in MIRRORS:
        return mirrored(OPEN_BRACKETS[MIRRORS[u]])
    if u == '\u25cb':
        return circles(140)
    if u == '\u25ce':
        return circles(140, 80)
    if u == '\u25ef':
        return circles(165)
    return None


# --- glyph encoding -----------------------------------------------------------

def as_int_strokes(strokes):
    out = []
    for s in strokes:
        pts = []
        for x, y in s:
            p = (int(round(x)), int(round(y)))
            if not pts or pts[-1] != p:
                pts.append(p)
        if len(pts) == 1:
            pts.append(pts[0])
        out.append(pts)
    return out


def hq_program(glyph):
    """Stroke program words (little-endian bytes) of a glyph."""
    prog = bytearray()
    if isinstance(glyph, dict):
        for cx, cy, r in glyph['circles']:
            # Circles use angle 0: the current point is the circle's rightmost point.
            prog += struct.pack('<Hhh', (1 << 13) | 1, int(cx + r), int(cy))
            prog += struct.pack('<Hh', (4 << 13) | int(r), 0)
        return prog
    for s in as_int_strokes(glyph):
        while s:
            part, s = s[:1023], (s[1022:] if len(s) > 1023 else [])
            prog += struct.pack('<H', len(part))
            for x, y in part:
                prog += struct.pack('<hh', x, y)
    return prog


def rdp(pts, tol):
    if len(pts) < 3:
        return pts
    (x0, y0), (x1, y1) = pts[0], pts[-1]
    dx, dy = x1 - x0, y1 - y0
    d = math.hypot(dx, dy)
    best, idx = -1.0, 0
    for k in range(1, len(pts) - 1):
        x, y = pts[k]
        e = abs((x - x0) * dy - (y - y0) * dx) / d if d else math.hypot(x - x0, y - y0)
        if e > best:
            best, idx = e, k
    if best <= tol:
        return [pts[0], pts[-1]]
    return rdp(pts[:idx + 1], tol)[:-1] + rdp(pts[idx:], tol)


def std_bytes(glyph):
    """Standard glyph bytes: grid x 0..14 across the width, y 0..15; 0x0F never a point."""
    if isinstance(glyph, dict):
        strokes = []
        for cx, cy, r in glyph['circles']:
            strokes.append([(cx + r * math.cos(k * math.pi / 8), cy + r * math.sin(k * math.pi / 8))
                            for k in range(17)])
    else:
        strokes = glyph

    def grid(x, y):
        return (min(14, max(0, int(round(x * 14 / CELL)))), min(15, max(0, int(round(y * 15 / CELL)))))
    for tol in (0.0, 0.5, 0.8, 1.2, 2.0, 4.0):
        out = bytearray()
        for s in strokes:
            pts = []
            for x, y in s:
                p = grid(x, y)
                if not pts or pts[-1] != p:
                    pts.append(p)
            if len(pts) == 1:
                pts.append(pts[0])
            pts = rdp(pts, tol) if tol else pts
            if out:
                out.append(0x0F)
            out += bytes(y << 4 | x for x, y in pts)
        if len(out) <= 255:
            return bytes(out)
    raise ValueError('standard glyph too long')


# --- character set ------------------------------------------------------------

def jis_to_sjis(r, c):
    lead = (r + 1) // 2 + (0x70 if r <= 0x5E else 0xB0)
    if r & 1:
        trail = c + (0x1F if c <= 0x5F else 0x20)
    else:
        trail = c + 0x7E
    return lead, trail


def unicode_of(lead, trail):
    """The character's code points: the code page 932 one first, then the JIS one."""
    out = []
    for codec in ('cp932', 'shift_jis'):
        try:
            u = bytes((lead, trail)).decode(codec)
        except UnicodeDecodeError:
            continue
        if u not in out:
            out.append(u)
    return out


def pick_glyph(r, c, us, kvg_dir, latin, greek, cyr, cyr_extra):
    if r == 0x26:
        k = c - 0x21 if c <= 0x38 else c - 0x41
        if 0 <= k < 24 and (c <= 0x38 or 0x41 <= c <= 0x58):
            ch = GREEK[k] if c <= 0x38 else GREEK[k].lower()
            return hershey_cell(greek[ch]), 'hershey'
        return None, None
    if r == 0x27:
        k = c - 0x21 if c <= 0x41 else c - 0x51
        if 0 <= k < 33 and (c <= 0x41 or 0x51 <= c <= 0x71):
            ch = (CYR_UPPER if c <= 0x41 else CYR_LOWER)[k]
            g = cyr[ch] if ch is not None else cyr_extra[us[0]]
            return hershey_cell(g), 'hershey'
        return None, None
    for u in us:
        s = synth(u)
        if s is not None:
            return s, 'own'
    for u in us:
        a = unicodedata.normalize('NFKC', u)
        if len(a) == 1 and 0x21 <= ord(a) <= 0x7E:
            return hershey_cell(latin[a]), 'hershey'
    for u in us:
        if len(u) != 1:
            continue
        p = os.path.join(kvg_dir, '%05x.svg' % ord(u))
        if os.path.exists(p):
            with open(p, encoding='utf-8') as f:
                st = kvg_strokes(f.read())
            if st:
                return st, 'kanjivg'
    return None, None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--kanjivg', required=True, help='folder of the KanjiVG SVG files')
    ap.add_argument('--hershey', required=True, help='folder of the Hershey .jhf files')
    ap.add_argument('--notice', required=True)
    ap.add_argument('--out', required=True)
    a = ap.parse_args()
    if not os.path.isdir(a.kanjivg):
        sys.exit('fontgen: no KanjiVG files in %s (scripts/test installs them)' % a.kanjivg)

    latin = load_jhf(os.path.join(a.hershey, 'futural.jhf'))
    greek = load_jhf(os.path.join(a.hershey, 'greek.jhf'))
    cyr = load_jhf(os.path.join(a.hershey, 'cyrillic.jhf'))
    cyr_extra = compose_cyrillic(cyr)

    hq_idx = bytearray(b'\xff' * (6 * 94 * 94))
    std_idx = bytearray(4 * 60 * 192)
    kj = [bytearray(), bytearray()]
    knj = bytearray()
    counts = {}
    for r in range(0x21, 0x7F):
        for c in range(0x21, 0x7F):
            lead, trail = jis_to_sjis(r, c)
            us = unicode_of(lead, trail)
            if not us:
                continue
            glyph, src = pick_glyph(r, c, us, a.kanjivg, latin, greek, cyr, cyr_extra)
            if glyph is None:
                continue
            counts[src] = counts.get(src, 0) + 1
            prog = hq_program(glyph)
            f = 1 if r >= 0x30 else 0  # kanji go to the second glyph file
            loc = len(kj[f]) // 2 | (0x80000000 if f else 0)
            kj[f] += struct.pack('<h8x', len(prog) // 2) + prog
            rec = (r - 0x21) * 94 + (c - 0x21)
            struct.pack_into('<hI', hq_idx, rec * 6, FULL, loc)
            sb = std_bytes(glyph)
            srec = (lead - (0x81 if lead < 0xE0 else 0xC1)) * 192 + (trail - 0x40)
            struct.pack_into('<I', std_idx, srec * 4, len(knj) | len(sb) << 24)
            knj += sb
    os.makedirs(a.out, exist_ok=True)
    files = {'inkfrghq.idx': hq_idx, 'inkfrghq.kj1': kj[0], 'inkfrghq.kj2': kj[1], 'ikfrgstd.idx': std_idx,
             'ikfrgstd.knj': knj}
    with open(a.notice, 'rb') as f:
        files['NOTICE'] = f.read()
    for name, data in files.items():
        with open(os.path.join(a.out, name), 'wb') as f:
            f.write(data)
    print('fontgen: %s' % ', '.join('%s %d' % kv for kv in sorted(counts.items())))


if __name__ == '__main__':
    main()
