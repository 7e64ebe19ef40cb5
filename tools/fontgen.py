#!/usr/bin/env python3
"""Builds the stroke-font files from public stroke data.

  kanji, kana and the symbols KanjiVG covers: KanjiVG centre lines (cubic Beziers,
  109 x 109 box, y down), flattened into polylines;
  Latin, full-width alphanumerics, Greek, Cyrillic, punctuation, mathematical, musical and
  other signs: Hershey .jhf fonts;
  box drawing, filled and plain shapes, arrows and a few signs: drawn here from geometry.
Every assigned JIS X 0208 cell gets a glyph in both sets (main fails otherwise).

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


def arc_pts(cx, cy, r, a0, a1, n=12):
    """Points of a circular arc from a0 to a1 degrees."""
    angles = (math.radians(a0 + (a1 - a0) * k / n) for k in range(n + 1))
    return [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in angles]


def ellipse(cx, cy, rx, ry, tilt, n=12):
    """Closed outline of an ellipse turned by tilt degrees."""
    c, s = math.cos(math.radians(tilt)), math.sin(math.radians(tilt))
    pts = [(rx * math.cos(2 * math.pi * k / n), ry * math.sin(2 * math.pi * k / n)) for k in range(n + 1)]
    return [(cx + x * c - y * s, cy + x * s + y * c) for x, y in pts]


def hatch(outline, step=14):
    """A closed outline and the horizontal chords that fill it (stroke fonts cannot fill)."""
    strokes = [outline]
    ys = [y for _, y in outline]
    y = min(ys) + step / 2
    while y < max(ys):
        xs = []
        for (x0, y0), (x1, y1) in zip(outline, outline[1:]):
            if (y0 <= y < y1) or (y1 <= y < y0):
                xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            strokes.append([(a, y), (b, y)])
        y += step
    return strokes


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)]


def box_drawing(up, right, down, left):
    """Box-drawing cell: arms from the centre to the cell's edges, 0 none, 1 light, 2 heavy
    (three strokes side by side). Arms reach the edges so that neighbours join."""
    c, w, out = CELL / 2, 14, []
    for weight, vertical, lo, hi in ((up, True, c, CELL), (down, True, 0, c), (right, False, c, CELL),
                                     (left, False, 0, c)):
        if not weight:
            continue
        for off in ((0,) if weight == 1 else (-w, 0, w)):
            # Heavy arms run on over the centre so that corners close.
            a, b = (lo - (w if weight == 2 and lo == c else 0)), (hi + (w if weight == 2 and hi == c else 0))
            out.append([(c + off, a), (c + off, b)] if vertical else [(a, c + off), (b, c + off)])
    return out


# Arms (up, right, down, left) of the box-drawing characters of row 8.
BOX = {
    '\u2500': (0, 1, 0, 1), '\u2502': (1, 0, 1, 0), '\u250c': (0, 1, 1, 0), '\u2510': (0, 0, 1, 1),
    '\u2518': (1, 0, 0, 1), '\u2514': (1, 1, 0, 0), '\u251c': (1, 1, 1, 0), '\u252c': (0, 1, 1, 1),
    '\u2524': (1, 0, 1, 1), '\u2534': (1, 1, 0, 1), '\u253c': (1, 1, 1, 1), '\u2501': (0, 2, 0, 2),
    '\u2503': (2, 0, 2, 0), '\u250f': (0, 2, 2, 0), '\u2513': (0, 0, 2, 2), '\u251b': (2, 0, 0, 2),
    '\u2517': (2, 2, 0, 0), '\u2523': (2, 2, 2, 0), '\u2533': (0, 2, 2, 2), '\u252b': (2, 0, 2, 2),
    '\u253b': (2, 2, 0, 2), '\u254b': (2, 2, 2, 2), '\u2520': (2, 1, 2, 0), '\u252f': (0, 2, 1, 2),
    '\u2528': (2, 0, 2, 1), '\u2537': (1, 2, 0, 2), '\u253f': (1, 2, 1, 2), '\u251d': (1, 2, 1, 0),
    '\u2530': (0, 1, 2, 1), '\u2525': (1, 0, 1, 2), '\u2538': (2, 1, 0, 1), '\u2542': (2, 1, 2, 1),
}

SYMBOLS.update({
    '\u00b4': [[(150, 250), (215, 325)]],  # acute accent
    '\u00a8': [dot(130, 290), dot(220, 290)],  # diaeresis
    '\uffe3': [[(10, 335), (340, 335)]],  # overline
    '\u25cf': hatch(ring(175, 175, 140, 36)),  # black circle
    '\u25a0': hatch(rect(50, 50, 300, 300)),  # black square
    '\u25b2': hatch([(175, 320), (30, 50), (320, 50), (175, 320)]),
    '\u25bc': hatch([(175, 30), (30, 300), (320, 300), (175, 30)]),
    '\u25c6': hatch([(175, 330), (320, 175), (175, 20), (30, 175), (175, 330)]),
    '\u2605': hatch(star()[0]),  # black star
    '\u3013': hatch(rect(40, 205, 310, 265)) + hatch(rect(40, 85, 310, 145)),  # geta mark
    '\u2227': [[(80, 60), (175, 300), (270, 60)]],
    '\u2228': [[(80, 300), (175, 60), (270, 300)]],
    '\uffe2': [[(60, 200), (290, 200), (290, 110)]],  # not sign
    '\u21d2': [[(40, 215), (250, 215)], [(40, 135), (250, 135)], [(200, 280), (310, 175), (200, 70)]],
    '\u21d4': [[(100, 215), (250, 215)], [(100, 135), (250, 135)], [(200, 280), (310, 175), (200, 70)],
               [(150, 280), (40, 175), (150, 70)]],
    '\u2200': [[(70, 320), (175, 40), (280, 320)], [(115, 200), (235, 200)]],
    '\u2312': [arc_pts(175, 100, 150, 30, 150)],  # arc
    '\u2252': [[(70, 205), (280, 205)], [(70, 145), (280, 145)], dot(90, 255), dot(260, 80)],
    '\u226a': [[(200, 290), (60, 175), (200, 60)], [(290, 290), (150, 175), (290, 60)]],
    '\u2234': [dot(175, 240), dot(95, 100), dot(255, 100)],  # therefore
    '\u2235': [dot(95, 240), dot(255, 240), dot(175, 100)],  # because
    '\u3007': circles(150),  # ideographic zero
    '\u00b6': hatch([(190, 320)] + arc_pts(190, 250, 70, 90, 270)[1:] + [(190, 320)]) +
              [[(190, 320), (250, 320)], [(190, 320), (190, 40)], [(250, 320), (250, 40)]],  # pilcrow
    '\u266a': hatch(ellipse(130, 90, 45, 30, 23)) +
              [[(172, 110), (172, 320), (215, 290), (250, 240), (245, 190)]],  # eighth note
    '\u00a3': [[(265, 290), (245, 315), (210, 325), (180, 315), (160, 290), (155, 250), (155, 150), (145, 110),
                (115, 85), (95, 80)], [(95, 80), (275, 80)], [(100, 200), (230, 200)]],  # pound
})
SYMBOLS['\u226b'] = mirrored(SYMBOLS['\u226a'])
SYMBOLS['\u00ac'] = SYMBOLS['\uffe2']
for _u, _arms in BOX.items():
    SYMBOLS[_u] = box_drawing(*_arms)

# Signs from the other Hershey fonts of the same package: (font, character).
HERSHEY_SIGNS = {
    '\u2266': ('mathlow', '&'), '\u2267': ('mathlow', "'"), '\u221e': ('mathlow', '_'),
    '\u2208': ('mathlow', 'h'), '\u2282': ('mathlow', 'd'), '\u2283': ('mathlow', 'f'),
    '\u222a': ('mathlow', 'e'), '\u2229': ('mathlow', 'g'), '\u2203': ('mathlow', 'v'),
    '\u2220': ('mathlow', '|'), '\u22a5': ('mathlow', 'z'), '\u2202': ('mathlow', 'm'),
    '\u2207': ('mathlow', 'n'), '\u2261': ('mathlow', '@'), '\u221a': ('mathlow', 'c'),
    '\u221d': ('mathlow', '^'), '\u222b': ('mathlow', 'p'),
    '\u2642': ('astrology', "'"), '\u2640': ('astrology', '%'),
    '\u00a7': ('symbolic', 'i'), '\u2020': ('symbolic', 'j'), '\u2021': ('symbolic', 'k'),
    '\u266f': ('music', "'"), '\u266d': ('music', ')'),
}


def synth(u):
    """Symbols drawn here: brackets, quotes, signs, plain and filled shapes, box drawing."""
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


def moved(strokes, dx=0.0, dy=0.0, sx=1.0, sy=1.0, ox=CELL / 2, oy=0.0):
    """Strokes scaled about (ox, oy), then moved."""
    return [[(ox + (x - ox) * sx + dx, oy + (y - oy) * sy + dy) for x, y in st] for st in strokes]


def fit_cell(strokes, lo=30.0, hi=330.0):
    """Strokes reaching out of lo..hi shrunk (never grown) and centred to fit it."""
    ys = [y for st in strokes for _, y in st]
    if not ys or (min(ys) >= lo and max(ys) <= hi):
        return strokes
    k = min(1.0, (hi - lo) / (max(ys) - min(ys)))
    mid = (max(ys) + min(ys)) / 2
    return [[(CELL / 2 + (x - CELL / 2) * k, (lo + hi) / 2 + (y - mid) * k) for x, y in st] for st in strokes]


def composed(u, latin, extra, kvg_dir):
    """Signs made of pieces of the public stroke sources."""
    def sign(u2):
        font, ch = HERSHEY_SIGNS[u2]
        return fit_cell(hershey_cell(extra[font][ch]))
    if u in HERSHEY_SIGNS:
        return sign(u)
    if u == '\u220b':  # contains as member: the member sign turned over
        return mirrored(sign('\u2208'))
    if u in ('\u2286', '\u2287'):  # subset or equal: the subset sign raised, a bar beneath
        return moved(sign('\u2282' if u == '\u2286' else '\u2283'), dy=35) + [[(95, 90), (255, 90)]]
    if u == '\u222c':  # double integral
        return moved(sign('\u222b'), dx=-45) + moved(sign('\u222b'), dx=45)
    if u == '\u223d':  # reversed tilde
        return mirrored(hershey_cell(latin['~']))
    if u == '\u212b':  # angstrom: A under a ring
        return moved(hershey_cell(latin['A']), sy=0.85, oy=H_BASE) + [ring(175, 318, 22)]
    if u == '\u2030':  # per mille: the per cent sign and one more ring
        return moved(hershey_cell(latin['%']), dx=-35, sx=0.85) + [ring(285, 105, 24)]
    if u == '\u2103':  # degree Celsius
        return [ring(85, 290, 28)] + moved(hershey_cell(latin['C']), dx=35, sx=0.85)
    if u in ('\uffe0', '\u00a2'):  # cent: c with a stroke
        return hershey_cell(latin['c']) + [[(180, 40), (180, 280)]]
    if u == '\u4edd':  # 仝: 人 over 工
        top, bottom = (kvg_strokes(open(os.path.join(kvg_dir, '%05x.svg' % ord(k)), encoding='utf-8').read())
                       for k in '\u4eba\u5de5')
        return moved(top, sy=0.5, dy=175, sx=0.9) + moved(bottom, sy=0.45, dy=5, sx=0.8)
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


STD_TOL = 0.6  # grid units: how far a simplified stroke may leave the flattened one


def std_bytes(glyph):
    """Standard glyph bytes: grid x 0..14 across the width, y 0..15; 0x0F never a point.

    The display takes a grid unit as 1/16 of the text height, so row 15 stands at 15/16 of it:
    y maps with 16/350 like the high-quality set's units and the two sets are the same height.
    Strokes are simplified in grid units before rounding, so curves and diagonals round to a
    few long straight pieces instead of a staircase of one-unit steps."""
    if isinstance(glyph, dict):
        strokes = []
        for cx, cy, r in glyph['circles']:
            strokes.append([(cx + r * math.cos(k * math.pi / 8), cy + r * math.sin(k * math.pi / 8))
                            for k in range(17)])
    else:
        strokes = glyph

    def grid(p):
        return (min(14, max(0, int(round(p[0])))), min(15, max(0, int(round(p[1])))))
    fine = [[(x * 14 / CELL, y * 16 / CELL) for x, y in s] for s in strokes]
    for tol in (STD_TOL, 0.8, 1.2, 2.0, 4.0):
        out, seen = bytearray(), set()
        for s in fine:
            pts = []
            for p in rdp(s, tol):
                q = grid(p)
                if not pts or pts[-1] != q:
                    pts.append(q)
            if len(pts) == 1:  # a dot: one grid unit long, or it would draw a lone pixel
                x, y = pts[0]
                pts.append((x, y + 1 if y < 15 else y - 1))
            key = tuple(pts)
            if key in seen or key[::-1] in seen:
                continue  # hatching lines that round onto one row
            seen.add(key)
            if out:
                out.append(0x0F)
            out += bytes(y << 4 | x for x, y in pts)
        if not out:
            return b'\x00'  # a lone move: a glyph that draws nothing (the ideographic space)
        if len(out) <= 255:
            return bytes(out)
    raise ValueError('standard glyph too long')


# Other Hershey fonts of the package, loaded by main.
EXTRA = {}


# --- character set ------------------------------------------------------------

def jis_to_sjis(r, c):
    lead = (r + 1) // 2 + (0x70 if r <= 0x5E else 0xB0)
    if r & 1:
        trail = c + (0x1F if c <= 0x5F else 0x20)
    else:
        trail = c + 0x7E
    return lead, trail


def assigned(r, c):
    """Whether JIS X 0208 assigns a character to row r, cell c (both 0x21..0x7E)."""
    try:
        bytes((r | 0x80, c | 0x80)).decode('euc_jp')
        return True
    except UnicodeDecodeError:
        return False


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
        s = composed(u, latin, EXTRA, kvg_dir)
        if s is not None:
            return s, 'hershey'
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
    for name in ('mathlow', 'symbolic', 'music', 'astrology'):
        EXTRA[name] = load_jhf(os.path.join(a.hershey, name + '.jhf'))

    hq_idx = bytearray(b'\xff' * (6 * 94 * 94))
    std_idx = bytearray(4 * 60 * 192)
    kj = [bytearray(), bytearray()]
    knj = bytearray()
    counts = {}
    missing = []
    for r in range(0x21, 0x7F):
        for c in range(0x21, 0x7F):
            lead, trail = jis_to_sjis(r, c)
            us = unicode_of(lead, trail)
            if not us:
                continue
            glyph, src = pick_glyph(r, c, us, a.kanjivg, latin, greek, cyr, cyr_extra)
            if glyph is None:
                if assigned(r, c):
                    missing.append('%d-%d %s' % (r - 0x20, c - 0x20, us[0]))
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
    if missing:
        sys.exit('fontgen: no glyph for %d assigned JIS X 0208 cells: %s' % (len(missing), ', '.join(missing)))
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
