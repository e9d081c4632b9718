#!/usr/bin/env python3
"""Writes the program's bitmaps as XPM text files into this folder.

Run it again after changing a drawing; the XPM files are committed, so the build needs no Python.
    python3 res/images/make_images.py
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# XPM keys: printable characters other than the quote and the backslash.
KEYS = [chr(c) for c in range(35, 127) if chr(c) not in '"\\']


def write_xpm(name, width, height, pixels):
    """pixels: rows of (r, g, b) tuples, or None for a transparent pixel."""
    colours = []
    for row in pixels:
        for p in row:
            if p not in colours:
                colours.append(p)
    per_pixel = 1 if len(colours) <= len(KEYS) else 2
    keys = KEYS if per_pixel == 1 else [a + b for a in KEYS for b in KEYS]
    key_of = {c: keys[i] for i, c in enumerate(colours)}
    lines = ['/* XPM */', f'static const char *const {name}[] = {{',
             f'"{width} {height} {len(colours)} {per_pixel}",']
    for c in colours:
        value = 'None' if c is None else '#%02X%02X%02X' % c
        lines.append(f'"{key_of[c]} c {value}",')
    for y, row in enumerate(pixels):
        end = ',' if y + 1 < height else ''
        lines.append('"' + ''.join(key_of[p] for p in row) + '"' + end)
    lines.append('};')
    with open(os.path.join(HERE, name + '.xpm'), 'w', encoding='ascii', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


# Seven-segment digits, 13 x 23: black ground, lit segments (255, 0, 0), unlit segments as a
# dotted outline in (128, 0, 0). Segments taper at their ends so that neighbours do not touch.
BLACK = (0, 0, 0)
LIT = (255, 0, 0)
UNLIT = (128, 0, 0)
DW, DH = 13, 23


def h_segment(rows_long, row_short):
    pixels = {(x, rows_long) for x in range(3, 10)}
    pixels |= {(x, row_short) for x in range(4, 9)}
    return pixels


def v_segment(col_long, col_short, top):
    pixels = {(col_long, y) for y in range(top, top + 7)}
    pixels |= {(col_short, y) for y in range(top + 1, top + 6)}
    return pixels


SEGMENTS = {
    'a': h_segment(1, 2),
    'b': v_segment(11, 10, 3),
    'c': v_segment(11, 10, 13),
    'd': h_segment(21, 20),
    'e': v_segment(1, 2, 13),
    'f': v_segment(1, 2, 3),
    'g': {(x, 11) for x in range(3, 10)} | {(x, y) for x in range(4, 9) for y in (10, 12)},
}

DIGIT_SEGMENTS = {
    '0': 'abcdef', '1': 'bc', '2': 'abdeg', '3': 'abcdg', '4': 'bcfg',
    '5': 'acdfg', '6': 'acdefg', '7': 'abc', '8': 'abcdefg', '9': 'abcdfg',
}


def dot(cx, cy):
    return {(x, y) for x in range(cx - 1, cx + 2) for y in range(cy - 1, cy + 2)}


def digit_image(lit_segments, extra_lit=frozenset()):
    grid = [[BLACK] * DW for _ in range(DH)]
    for name, pixels in SEGMENTS.items():
        if name in lit_segments:
            continue
        for (x, y) in pixels:
            if (x + y) % 2 == 0:
                grid[y][x] = UNLIT
    for name in lit_segments:
        for (x, y) in SEGMENTS[name]:
            grid[y][x] = LIT
    for (x, y) in extra_lit:
        grid[y][x] = LIT
    return grid


def make_digits():
    for ch, segs in DIGIT_SEGMENTS.items():
        write_xpm(f'digit_{ch}', DW, DH, digit_image(segs))
    write_xpm('digit_blank', DW, DH, digit_image(''))
    write_xpm('digit_point', DW, DH, digit_image('', dot(6, 20)))
    write_xpm('digit_colon', DW, DH, digit_image('', dot(6, 7) | dot(6, 15)))
    write_xpm('digit_minus', DW, DH, digit_image('g'))
    # The middle bar turned upright.
    plus_bar = {(6, y) for y in range(8, 15)} | {(x, y) for x in (5, 7) for y in range(9, 14)}
    write_xpm('digit_plus', DW, DH, digit_image('g', plus_bar))


# Lamps, 14 x 14: a shaded round lamp in a grey ring on a (192, 192, 192) ground.
GROUND = (192, 192, 192)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def lamp_image(highlight, body, edge):
    size, centre, samples = 14, 7.0, 4
    grid = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    px = x + (sx + 0.5) / samples
                    py = y + (sy + 0.5) / samples
                    r = math.hypot(px - centre, py - centre)
                    if r > 6.8:
                        colour = GROUND
                    elif r > 5.2:
                        # The ring is lit from the top left: dark there, light at the bottom right.
                        light = ((px - centre) + (py - centre)) / (2 * r) if r else 0
                        colour = mix((112, 112, 112), (248, 248, 248), 0.5 + light * 0.6)
                    else:
                        spot = math.hypot(px - 5.2, py - 5.2) / 6.5
                        colour = mix(highlight, body, spot * 1.6) if spot < 0.6 else \
                            mix(body, edge, (spot - 0.6) * 2.2)
                    for i in range(3):
                        acc[i] += colour[i]
            n = samples * samples
            row.append(tuple(int(round(v / n)) for v in acc))
        grid.append(row)
    return grid


def make_lamps():
    write_xpm('lamp_lit', 14, 14, lamp_image((210, 255, 255), (0, 176, 255), (0, 96, 200)))
    write_xpm('lamp_half', 14, 14, lamp_image((120, 170, 240), (24, 72, 176), (8, 32, 112)))
    write_xpm('lamp_dark', 14, 14, lamp_image((56, 64, 120), (0, 0, 80), (0, 0, 48)))


# Help image, 24 x 23: a black pointer arrow and a navy question mark on a grey ground.
HELP = [
    "                        ",
    "                        ",
    "  X                     ",
    "  XX                    ",
    "  XXX          oooo     ",
    "  XXXX        oooooo    ",
    "  XXXXX      oo    oo   ",
    "  XXXXXX     oo    oo   ",
    "  XXXXXXX          oo   ",
    "  XXXXXXXX        oo    ",
    "  XXXXXXXXX      oo     ",
    "  XXXXXX        oo      ",
    "  XXX XX        oo      ",
    "  XX  XX        oo      ",
    "  X    XX               ",
    "       XX       oo      ",
    "        XX      oo      ",
    "        XX              ",
    "                        ",
    "                        ",
    "                        ",
    "                        ",
    "                        ",
]


def make_help():
    palette = {' ': GROUND, 'X': (0, 0, 0), 'o': (0, 0, 128)}
    assert len(HELP) == 23 and all(len(r) == 24 for r in HELP)
    write_xpm('help', 24, 23, [[palette[c] for c in row] for row in HELP])


# Application icon, 32 x 32: a polarimeter's dial, a red line turned against the upright
# reference and the arc between them, on a steel-blue disc.
def make_icon():
    size, samples, c = 32, 4, 16.0
    angle = math.radians(45)
    direction = (math.sin(angle), -math.cos(angle))
    grid = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0]
            cover = 0
            for sy in range(samples):
                for sx in range(samples):
                    px = x + (sx + 0.5) / samples - c
                    py = y + (sy + 0.5) / samples - c
                    r = math.hypot(px, py)
                    if r > 15.5:
                        continue
                    cover += 1
                    if r > 11.5:
                        colour = mix((40, 90, 160), (10, 40, 100), (px + py + 22) / 44)
                    else:
                        colour = (250, 250, 250)
                        # Distance to the turned line through the centre.
                        along = px * direction[0] + py * direction[1]
                        across = abs(px * direction[1] - py * direction[0])
                        theta = math.atan2(px, -py)
                        if abs(px) < 0.6 and r < 10.5:
                            colour = (150, 150, 150)
                        if 0 <= theta <= angle and 8.0 < r < 9.6:
                            colour = (0, 0, 160)
                        if across < 1.0 and abs(along) < 10.5:
                            colour = (210, 0, 0)
                        if r < 1.6:
                            colour = (40, 40, 40)
                    for i in range(3):
                        acc[i] += colour[i]
            if cover * 2 < samples * samples:
                row.append(None)
            else:
                row.append(tuple(int(round(v / cover)) for v in acc))
        grid.append(row)
    write_xpm('app_icon', size, size, grid)


if __name__ == '__main__':
    make_digits()
    make_lamps()
    make_help()
    make_icon()
