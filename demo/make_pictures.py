#!/usr/bin/env python3
"""Draws the demo title's pictures into demo/qd_gra as PNG files (cvdtool build encodes them).

The committed PNGs were made with this script; run it again after changing a drawing:
    python3 demo/make_pictures.py
Only the standard library is used. Shapes are sampled 4 times a pixel so edges and masks are
smooth; masks are grey pictures (0 keeps the background, 255 takes the picture).
"""

import math
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "qd_gra")


def write_png(path, width, height, rows, grey=False):
    """rows: a list of bytes per row (RGB, or one byte a pixel when grey)."""
    raw = bytearray()
    previous = bytes(len(rows[0]))
    for row in rows:
        # The "Up" filter: most rows of these drawings repeat the row above.
        raw.append(2)
        raw.extend((a - b) & 0xFF for a, b in zip(row, previous))
        previous = row

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    colour_type = 0 if grey else 2
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


SAMPLES = [(0.25, 0.25), (0.75, 0.25), (0.25, 0.75), (0.75, 0.75)]


def render(width, height, shapes, background=None):
    """shapes: (inside(x, y) -> bool, colour) drawn in order. Returns colour rows, mask rows."""
    colour_rows, mask_rows = [], []
    for y in range(height):
        crow, mrow = bytearray(), bytearray()
        for x in range(width):
            acc = [0.0, 0.0, 0.0]
            cover = 0
            for dx, dy in SAMPLES:
                px, py = x + dx, y + dy
                hit = None
                for inside, colour in shapes:
                    if inside(px, py):
                        hit = colour(px, py) if callable(colour) else colour
                if hit is None and background is not None:
                    hit = background(px, py)
                if hit is not None:
                    cover += 1
                    for i in range(3):
                        acc[i] += hit[i]
            if cover:
                crow.extend(int(round(a / cover)) for a in acc)
            else:
                crow.extend((0, 0, 0))
            mrow.append(cover * 255 // len(SAMPLES))
        colour_rows.append(bytes(crow))
        mask_rows.append(bytes(mrow))
    return colour_rows, mask_rows


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def trapezoid(top, bottom, top_half, bottom_half, cx):
    def inside(x, y):
        if y < top or y > bottom:
            return False
        half = top_half + (bottom_half - top_half) * (y - top) / (bottom - top)
        return abs(x - cx) <= half
    return inside


def garden():
    """The garden by day: a sky, far hills, a lawn with a path, flower beds."""
    sky_top, sky_low = (70, 120, 200), (180, 215, 240)
    hill, lawn, lawn_near, path = (90, 150, 90), (110, 175, 80), (80, 150, 60), (200, 180, 140)
    flowers = [(60 + 52 * i, 470 + (i * 37) % 60, ((230, 120, 160), (250, 220, 90), (240, 240, 250))[i % 3])
               for i in range(15)]
    rows = []
    for y in range(600):
        row = bytearray()
        for x in range(800):
            if y < 330 - 40 * math.sin(x / 130.0) - 20 * math.sin(x / 47.0 + 1):
                c = mix(sky_top, sky_low, y / 330.0)
                if (x - 640) ** 2 + (y - 90) ** 2 < 45 ** 2:
                    c = (255, 245, 200)  # the sun
            elif y < 360:
                c = hill
            else:
                c = mix(lawn, lawn_near, (y - 360) / 240.0)
                for fx, fy, fc in flowers:
                    if (x - fx) ** 2 + (y - fy) ** 2 < 49:
                        c = fc
                if abs(x - 400) < 30 + (y - 360) * 0.8:
                    c = path
            row.extend(c)
        rows.append(bytes(row))
    write_png(os.path.join(HERE, "Agarden.png"), 800, 600, rows)


def lantern():
    """A stone lantern, side by side: the colour on the left, its mask on the right."""
    stone, dark, light = (150, 150, 145), (95, 95, 92), (255, 220, 120)
    shapes = [
        (trapezoid(150, 190, 18, 28, 50), stone),        # the foot
        (trapezoid(60, 150, 8, 8, 50), dark),            # the post
        (trapezoid(40, 70, 30, 30, 50), stone),          # the fire box
        (trapezoid(45, 65, 12, 12, 50), light),          # its light
        (trapezoid(18, 40, 8, 45, 50), dark),            # the roof
        (circle(50, 14, 7), stone),                      # the top
    ]
    colour, mask = render(100, 190, shapes)
    side = [c + bytes(m for m in mrow for _ in range(3)) for c, mrow in zip(colour, mask)]
    write_png(os.path.join(HERE, "Plantern.png"), 200, 190, side)


def person(name, hair, dress, ribbon):
    """A standing picture of 200x460 and its mask picture ("M" in place of the first letter)."""
    skin = (250, 220, 195)
    shapes = [
        (ellipse(100, 95, 62, 72), hair),                       # hair behind
        (trapezoid(150, 455, 38, 92, 100), dress),             # the dress
        (trapezoid(150, 200, 30, 40, 100), mix(dress, (255, 255, 255), 0.35)),  # the collar
        (ellipse(100, 100, 46, 54), skin),                     # the face
        (trapezoid(40, 75, 46, 52, 100), hair),                # the fringe
        (circle(82, 108, 5), (60, 50, 70)),                    # eyes
        (circle(118, 108, 5), (60, 50, 70)),
        (ellipse(100, 135, 9, 3), (210, 120, 120)),            # mouth
        (circle(150, 55, 14), ribbon),                          # a ribbon
    ]
    colour, mask = render(200, 460, shapes)
    write_png(os.path.join(HERE, "B" + name + ".png"), 200, 460, colour)
    write_png(os.path.join(HERE, "M" + name + ".png"), 200, 460, mask, grey=True)


def petals():
    """The overlay: petals drifting over the scene, colour and mask side by side (1600x600)."""
    shapes = []
    for i in range(28):
        cx = (i * 263) % 780 + 10
        cy = (i * 149) % 560 + 20
        shade = (250, 190 + (i * 7) % 40, 210)
        angle = i * 0.7
        ca, sa = math.cos(angle), math.sin(angle)

        def inside(x, y, cx=cx, cy=cy, ca=ca, sa=sa):
            u = (x - cx) * ca + (y - cy) * sa
            v = -(x - cx) * sa + (y - cy) * ca
            return (u / 9.0) ** 2 + (v / 5.0) ** 2 <= 1
        shapes.append((inside, shade))
    colour, mask = render(800, 600, shapes)
    # The petals are a little see-through.
    side = [c + bytes(m * 200 // 255 for m in mrow for _ in range(3)) for c, mrow in zip(colour, mask)]
    write_png(os.path.join(HERE, "Opetals.png"), 1600, 600, side)


def rounded_box(width, height, radius):
    """Distance-based coverage of a rounded rectangle: 1 inside, 0 outside, soft at the edge."""
    def cover(x, y):
        dx = max(radius - x - 0.5, 0, x + 0.5 - (width - radius))
        dy = max(radius - y - 0.5, 0, y + 0.5 - (height - radius))
        d = math.hypot(dx, dy) - radius
        return min(1.0, max(0.0, 0.5 - d))
    return cover


def stacked(path, width, height, colour, coverage):
    """A picture of colour rows over coverage rows (grey), as the text window's pictures are."""
    rows = []
    for y in range(height):
        rows.append(bytes(c for x in range(width) for c in colour(x, y)))
    for y in range(height):
        rows.append(bytes(int(round(255 * coverage(x, y))) for x in range(width) for _ in range(3)))
    write_png(path, width, 2 * height, rows)


def text_window():
    """The text window's pictures: the window (sys_tw) with its tint mask (sys_tw1), the name
    plate (sys_np) and the four frames of the click-wait mark (sys_clickw)."""
    w, h, border = 760, 160, 3
    body, edge = (20, 30, 70), (200, 210, 240)  # TXW_COLOR_R/G/B: the body as drawn
    box = rounded_box(w, h, 14)
    inner = rounded_box(w - 2 * border, h - 2 * border, 12)

    def in_body(x, y):
        return inner(x - border, y - border)

    def colour(x, y):
        t = in_body(x, y)
        return mix(edge, body, t)

    def coverage(x, y):
        # TXW_ALPHA 160 in the body, a nearly opaque edge.
        t = in_body(x, y)
        return box(x, y) * (0.86 * (1 - t) + (160 / 255) * t)

    stacked(os.path.join(HERE, "sys_tw.png"), w, h, colour, coverage)
    write_png(os.path.join(HERE, "sys_tw1.png"), w, h,
              [bytes(int(round(255 * in_body(x, y))) for x in range(w) for _ in range(3))
               for y in range(h)])

    pw, ph = 200, 36
    plate = rounded_box(pw, ph, 10)
    stacked(os.path.join(HERE, "sys_np.png"), pw, ph,
            lambda x, y: mix((60, 80, 150), (30, 40, 90), y / ph),
            lambda x, y: plate(x, y) * 0.9)

    size, frames = 24, 4
    def mark(frame):
        drop = (0, 2, 4, 2)[frame]
        return lambda x, y: 1.0 if (6 + drop <= y <= 16 + drop and
                                    abs(x + 0.5 - 12) <= (16 + drop - y) * 0.6) else 0.0
    shapes = [mark(f) for f in range(frames)]
    stacked(os.path.join(HERE, "sys_clickw.png"), size * frames, size,
            lambda x, y: (250, 230, 150),
            lambda x, y: shapes[x // size](x % size, y))


def rounded_inside(x0, y0, x1, y1, r):
    """Inside test of a rectangle with rounded corners of radius r."""
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def choice_bars():
    """The choice bars "sys_sw" and "sys_sw2" (highlighted): 440x40 each, the coverage rows
    below the colour rows; the inside a little see-through."""
    width, height = 440, 40
    looks = {"sys_sw": ((40, 50, 90), (150, 160, 210)), "sys_sw2": ((200, 120, 60), (255, 230, 170))}
    for name, (fill, edge) in looks.items():
        shapes = [(rounded_inside(0.5, 0.5, width - 0.5, height - 0.5, 12), edge),
                  (rounded_inside(3, 3, width - 3, height - 3, 10),
                   lambda x, y, fill=fill: mix(fill, (255, 255, 255), 0.25 * (1 - y / height)))]
        colour, mask = render(width, height, shapes)
        mask = [bytes(m * 225 // 255 for m in row) for row in mask]
        stacked = colour + [bytes(m for m in row for _ in range(3)) for row in mask]
        write_png(os.path.join(HERE, name + ".png"), width, 2 * height, stacked)


def garden_map():
    """The click map of the garden ("Amap") and its parts sheet ("Pmap"), where the pond, the
    lantern and the gate are drawn lit: a region's rectangle of the sheet is its highlight."""
    paper, ink, lawn = (235, 225, 200), (90, 70, 50), (170, 200, 140)
    places = [  # (inside, colour, lit colour)
        (ellipse(205, 410, 115, 80), (90, 140, 200), (140, 200, 255)),                # the pond
        (trapezoid(230, 420, 25, 45, 585), (150, 150, 145), (255, 220, 120)),        # the lantern
        (trapezoid(60, 150, 55, 55, 400), (140, 90, 60), (230, 160, 90)),            # the gate
    ]
    for name, lit in (("Amap", False), ("Pmap", True)):
        rows = []
        for y in range(600):
            row = bytearray()
            for x in range(800):
                c = paper
                if 30 < x < 770 and 30 < y < 570:
                    c = lawn
                if abs(x - 400) < 18 + (y - 150) * 0.1 and y > 150:
                    c = (210, 190, 150)  # the path
                for inside, colour, bright in places:
                    if inside(x + 0.5, y + 0.5):
                        c = bright if lit else colour
                if x in (30, 770) or y in (30, 570):
                    c = ink
                row.extend(c)
            rows.append(bytes(row))
        write_png(os.path.join(HERE, name + ".png"), 800, 600, rows)
def night_sky():
    """A tall night sky (800x1200) for the scroll: deep blue at the top, the last of the dusk at
    the bottom, stars and a moon."""
    top, low = (10, 15, 45), (230, 140, 90)
    stars = [((i * 193) % 800, (i * 421) % 1000) for i in range(90)]
    rows = []
    for y in range(1200):
        row = bytearray()
        for x in range(800):
            c = mix(top, low, (y / 1200.0) ** 2)
            if (x - 600) ** 2 + (y - 160) ** 2 < 40 ** 2:
                c = (245, 240, 210)  # the moon
            row.extend(c)
        for sx, sy in stars:
            if sy == y:
                row[3 * sx:3 * sx + 3] = bytes((255, 255, 230))
        rows.append(bytes(row))
    write_png(os.path.join(HERE, "Anight.png"), 800, 1200, rows)


def wipe_pattern():
    """The wipe pattern: grey levels rising towards the centre, so a wipe opens from the middle."""
    rows = []
    for y in range(600):
        row = bytearray()
        for x in range(800):
            d = math.hypot((x - 400) / 400.0, (y - 300) / 300.0) / math.sqrt(2)
            g = max(0, min(255, int(255 * (1 - d))))
            row.extend((g, g, g))
        rows.append(bytes(row))
    write_png(os.path.join(HERE, "Gwipe.png"), 800, 600, rows)


if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    garden()
    lantern()
    person("yuto", (60, 45, 40), (70, 90, 150), (200, 60, 60))
    person("sakura", (150, 80, 60), (220, 130, 160), (250, 250, 250))
    petals()
    choice_bars()
    garden_map()
    text_window()
    night_sky()
    wipe_pattern()
