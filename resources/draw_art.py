#!/usr/bin/env python3
"""Draws every icon and button picture of Veltarion.exe.

Usage: draw_art.py OUTPUT_FOLDER

Writes MAINICON.ico, WORK.ico, NOT_WORK.ico (16 to 64 pixel images, 32-bit colour with alpha
and an AND mask; see ICON_SIZES) and the BMP_*.bmp button pictures with their twice-sized BMP_*_2X.bmp
(8-bit with an exact palette, background 192,192,192 so that the loader can map it to the button
face). Pure Python, no extra packages: shapes are drawn on a 4x supersampled
canvas and averaged down, so the output is deterministic and identical on every machine.
"""

import math
import os
import struct
import sys

SS = 4  # supersampling factor


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0), scale=1):
        self.hard_edges = False  # each pixel whole or not at all: no half-transparent edge
        self.k = SS * scale  # supersampled pixels per design pixel
        self.w, self.h = w * scale, h * scale
        self.W, self.H = w * self.k, h * self.k
        self.px = [list(bg) for _ in range(self.W * self.H)]

    # Every shape works in design-pixel coordinates (floats); the canvas scales by SS * scale.
    def _plot(self, X, Y, c):
        if 0 <= X < self.W and 0 <= Y < self.H:
            p = self.px[Y * self.W + X]
            a = c[3] / 255.0
            for i in range(3):
                p[i] = int(round(c[i] * a + p[i] * (1 - a) if p[3] else c[i]))
            p[3] = max(p[3], c[3])

    def fill(self, inside, c, box):
        x0, y0, x1, y1 = box
        k = self.k
        for Y in range(max(0, int(y0 * k) - 1), min(self.H, int(y1 * k) + 2)):
            y = (Y + 0.5) / k
            for X in range(max(0, int(x0 * k) - 1), min(self.W, int(x1 * k) + 2)):
                x = (X + 0.5) / k
                if inside(x, y):
                    self._plot(X, Y, c)

    def rect(self, x0, y0, x1, y1, c):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, c, (x0, y0, x1, y1))

    def round_rect(self, x0, y0, x1, y1, r, c):
        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

        self.fill(inside, c, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, c):
        self.fill(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1, c,
                  (cx - rx, cy - ry, cx + rx, cy + ry))

    def arc(self, cx, cy, r, width, a0, a1, c):
        """Ring segment between angles a0..a1 (degrees, 0 = right, counter-clockwise, y up)."""

        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if abs(d - r) > width / 2:
                return False
            a = math.degrees(math.atan2(cy - y, x - cx)) % 360
            lo, hi = a0 % 360, a1 % 360
            return lo <= a <= hi if lo <= hi else (a >= lo or a <= hi)

        m = r + width
        self.fill(inside, c, (cx - m, cy - m, cx + m, cy + m))

    def line(self, xa, ya, xb, yb, width, c):
        dx, dy = xb - xa, yb - ya
        ln2 = dx * dx + dy * dy or 1e-9

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / ln2))
            return math.hypot(x - (xa + t * dx), y - (ya + t * dy)) <= width / 2

        m = width
        self.fill(inside, c, (min(xa, xb) - m, min(ya, yb) - m, max(xa, xb) + m, max(ya, yb) + m))

    def polygon(self, pts, c):
        def inside(x, y):
            n, res = len(pts), False
            j = n - 1
            for i in range(n):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    res = not res
                j = i
            return res

        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.fill(inside, c, (min(xs), min(ys), max(xs), max(ys)))

    def pixels(self):
        """Averages the supersampled canvas down: rows top to bottom of (r, g, b, a)."""
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                acc = [0, 0, 0, 0]
                for sy in range(SS):
                    for sx in range(SS):
                        p = self.px[(y * SS + sy) * self.W + x * SS + sx]
                        a = p[3]
                        acc[0] += p[0] * a
                        acc[1] += p[1] * a
                        acc[2] += p[2] * a
                        acc[3] += a
                if acc[3]:
                    rgb = [int(round(acc[i] / acc[3])) for i in range(3)]
                else:
                    rgb = [0, 0, 0]
                alpha = int(round(acc[3] / (SS * SS)))
                if self.hard_edges:
                    alpha = 255 if alpha >= 128 else 0
                row.append((rgb[0], rgb[1], rgb[2], alpha))
            out.append(row)
        return out


# Palette
OUTLINE = (40, 40, 40, 255)
GOLD = (230, 176, 30, 255)
GOLD_DARK = (160, 110, 10, 255)
STEEL = (150, 155, 165, 255)
STEEL_DARK = (80, 85, 95, 255)
SKIN = (240, 190, 150, 255)
SKIN_DARK = (180, 120, 80, 255)
WOOD = (140, 85, 40, 255)
WOOD_DARK = (90, 50, 20, 255)
PAPER = (255, 255, 255, 255)
PAPER_EDGE = (90, 90, 90, 255)
BLUE = (40, 80, 170, 255)
GREEN = (20, 140, 40, 255)
RED = (200, 30, 30, 255)
PINK = (230, 110, 170, 255)
PINK_DARK = (150, 40, 100, 255)
FOLDER = (240, 200, 80, 255)
FOLDER_DARK = (170, 130, 30, 255)
STAR = (255, 230, 0, 255)
FACE = (192, 192, 192, 255)


def padlock(cv, x, y, s, open_shackle):
    """A padlock whose body's top-left corner is (x, y); s scales a 16 pixel design."""
    body_top = y + 7 * s
    sx = x + 8 * s  # shackle centre
    if open_shackle:
        # Shackle lifted and swung: the left leg is out of the body.
        cv.arc(sx + 2 * s, y + 4.5 * s, 3.2 * s, 1.6 * s, 0, 180, STEEL_DARK)
        cv.line(sx + 5.2 * s, y + 4.5 * s, sx + 5.2 * s, body_top + 0.5 * s, 1.6 * s, STEEL_DARK)
        cv.line(sx - 1.2 * s, y + 4.5 * s, sx - 1.2 * s, y + 5.8 * s, 1.6 * s, STEEL_DARK)
    else:
        cv.arc(sx, y + 5 * s, 3.2 * s, 1.6 * s, 0, 180, STEEL_DARK)
        cv.line(sx - 3.2 * s, y + 5 * s, sx - 3.2 * s, body_top + 0.5 * s, 1.6 * s, STEEL_DARK)
        cv.line(sx + 3.2 * s, y + 5 * s, sx + 3.2 * s, body_top + 0.5 * s, 1.6 * s, STEEL_DARK)
    cv.round_rect(x + 2 * s, body_top, x + 14 * s, y + 15.5 * s, 1.2 * s, GOLD_DARK)
    cv.round_rect(x + 2.8 * s, body_top + 0.8 * s, x + 13.2 * s, y + 14.7 * s, 0.8 * s, GOLD)
    cv.ellipse(sx, body_top + 3.2 * s, 1.2 * s, 1.2 * s, OUTLINE)
    cv.rect(sx - 0.5 * s, body_top + 3.6 * s, sx + 0.5 * s, body_top + 6 * s, OUTLINE)


def key(cv, x, y, s, angle=0.0):
    """A key lying horizontally from (x, y) (bow centre), length about 14 * s."""
    ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))

    def at(u, v):
        return x + u * ca - v * sa, y + u * sa + v * ca

    bx, by = at(0, 0)
    cv.ellipse(bx, by, 3 * s, 3 * s, GOLD_DARK)
    cv.ellipse(bx, by, 2.1 * s, 2.1 * s, GOLD)
    cv.ellipse(bx, by, 0.9 * s, 0.9 * s, (0, 0, 0, 0) if False else GOLD_DARK)
    xa, ya = at(2.5 * s, 0)
    xb, yb = at(13 * s, 0)
    cv.line(xa, ya, xb, yb, 1.7 * s, GOLD_DARK)
    for u in (10 * s, 12.5 * s):
        xa, ya = at(u, 0)
        xb, yb = at(u, 2.6 * s)
        cv.line(xa, ya, xb, yb, 1.4 * s, GOLD_DARK)


# The tray icons' colours. The taskbar is light (#f3f3f3) or dark (#202020): every colour a
# silhouette's edge takes has a relative luminance between 0.15 and 0.25, which stands out 3:1
# against both; the two states differ in the colour of the whole body as well as in the shackle.
TRAY_SHACKLE = (128, 128, 128, 255)
TRAY_READY_EDGE = (60, 122, 212, 255)
TRAY_READY_FILL = (150, 190, 245, 255)
TRAY_WORKING_EDGE = (196, 106, 0, 255)
TRAY_WORKING_FILL = (255, 200, 40, 255)
TRAY_KEYHOLE = (30, 30, 30, 255)


def icon_padlock(size, open_shackle):
    """The tray's padlock, closed (ready) or open (working), with hard edges: a half-covered edge
    pixel would take the taskbar's colour and vanish on one of them."""
    cv = Canvas(size, size)
    cv.hard_edges = True
    s = size / 16.0
    edge = max(1.0, 0.75 * s)  # the body's rim: at least one whole pixel
    stroke = max(2.0, 1.75 * s)
    body_top = 7 * s
    if open_shackle:
        # Lifted and swung to the right: its left leg stands free above the body.
        cx = 10 * s
        cv.arc(cx, 4.2 * s, 3 * s, stroke, 0, 180, TRAY_SHACKLE)
        cv.line(cx + 3 * s, 4.2 * s, cx + 3 * s, body_top + s, stroke, TRAY_SHACKLE)
        cv.line(cx - 3 * s, 4.2 * s, cx - 3 * s, 5.5 * s, stroke, TRAY_SHACKLE)
        rim, fill = TRAY_WORKING_EDGE, TRAY_WORKING_FILL
    else:
        cx = 8 * s
        cv.arc(cx, 5 * s, 4 * s, stroke, 0, 180, TRAY_SHACKLE)
        for leg in (cx - 4 * s, cx + 4 * s):
            cv.line(leg, 5 * s, leg, body_top + s, stroke, TRAY_SHACKLE)
        rim, fill = TRAY_READY_EDGE, TRAY_READY_FILL
    # The body on whole pixels, so that its rim is whole pixels of the rim's colour.
    left, top, right, bottom = round(1 * s), round(body_top), round(15 * s), size
    edge = round(edge)
    cv.round_rect(left, top, right, bottom, 1.5 * s, rim)
    cv.round_rect(left + edge, top + edge, right - edge, bottom - edge, s, fill)
    # Centred on the line between two pixels, two pixels wide at the least.
    slot = max(1.0, 0.6 * s)
    cv.ellipse(8 * s, top + 3 * s, 1.5 * s, 1.5 * s, TRAY_KEYHOLE)
    cv.rect(8 * s - slot, top + 3 * s, 8 * s + slot, top + 6 * s, TRAY_KEYHOLE)
    return cv


def icon_main(size):
    """A hand holding a tray that carries a padlock and a key."""
    s = size / 32.0
    cv = Canvas(size, size)
    # Padlock on the tray (left), key beside it (right).
    padlock(cv, 1 * s, 0.5 * s, 1.05 * s, False)
    key(cv, 19.5 * s, 13 * s, 0.85 * s, angle=-55)
    # Tray: a flat board with a raised rim.
    cv.polygon([(1 * s, 17 * s), (31 * s, 17 * s), (29 * s, 21 * s), (3 * s, 21 * s)], WOOD_DARK)
    cv.polygon([(2 * s, 17.8 * s), (30 * s, 17.8 * s), (28.5 * s, 20.2 * s),
                (3.5 * s, 20.2 * s)], WOOD)
    # Hand under the tray: palm, four fingers curled around the rim, thumb and wrist.
    cv.round_rect(9 * s, 20.5 * s, 23 * s, 27 * s, 3 * s, SKIN_DARK)
    cv.round_rect(10 * s, 21.2 * s, 22.2 * s, 26.2 * s, 2.4 * s, SKIN)
    for i in range(4):
        fx = 10.5 * s + i * 3 * s
        cv.round_rect(fx, 19.5 * s, fx + 2.6 * s, 23 * s, 1.2 * s, SKIN_DARK)
        cv.round_rect(fx + 0.4 * s, 19.9 * s, fx + 2.2 * s, 22.6 * s, 0.9 * s, SKIN)
    cv.round_rect(13 * s, 26 * s, 20 * s, 32 * s, 1 * s, SKIN_DARK)
    cv.round_rect(13.7 * s, 26 * s, 19.3 * s, 32 * s, 0.8 * s, SKIN)
    cv.rect(12 * s, 29.5 * s, 21 * s, 32 * s, BLUE)  # cuff
    return cv


def head(cv, x, y, s, c, dark):
    """A head in profile facing right, top-left at (x, y), about 8 x 10 * s."""
    cv.ellipse(x + 4 * s, y + 3.6 * s, 3.2 * s, 3.5 * s, dark)
    cv.ellipse(x + 4 * s, y + 3.6 * s, 2.5 * s, 2.8 * s, c)
    cv.polygon([(x + 6.6 * s, y + 3 * s), (x + 8.2 * s, y + 5 * s), (x + 6.6 * s, y + 5.2 * s)],
               dark)
    cv.round_rect(x + 0.5 * s, y + 7 * s, x + 7.5 * s, y + 11 * s, 2 * s, dark)
    cv.round_rect(x + 1.2 * s, y + 7.7 * s, x + 6.8 * s, y + 11 * s, 1.5 * s, c)


def two_heads(cv):
    head(cv, 0.5, 1, 1, (120, 150, 210, 255), BLUE)
    head(cv, 5, 4, 1, SKIN, SKIN_DARK)


def sheet(cv, x, y, w, h):
    fold = min(w, h) * 0.3
    cv.polygon([(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)],
               PAPER_EDGE)
    cv.polygon([(x + 1, y + 1), (x + w - fold - 0.4, y + 1), (x + w - 1, y + fold + 0.4),
                (x + w - 1, y + h - 1), (x + 1, y + h - 1)], PAPER)
    for ly in range(int(y + 3), int(y + h - 1), 2):
        cv.rect(x + 2, ly, x + w - 2.5, ly + 0.6, (150, 150, 150, 255))


def bin_(cv, x, y):
    cv.rect(x, y, x + 7, y + 1.3, STEEL_DARK)
    cv.rect(x + 2.5, y - 1, x + 4.5, y, STEEL_DARK)
    cv.polygon([(x + 0.7, y + 1.3), (x + 6.3, y + 1.3), (x + 5.7, y + 8), (x + 1.3, y + 8)],
               STEEL_DARK)
    cv.polygon([(x + 1.5, y + 2), (x + 5.5, y + 2), (x + 5, y + 7.3), (x + 2, y + 7.3)], STEEL)


def folder_open(cv, x, y):
    cv.polygon([(x, y + 2), (x + 5, y + 2), (x + 6, y + 3.5), (x + 13, y + 3.5), (x + 13, y + 15),
                (x, y + 15)], FOLDER_DARK)
    cv.polygon([(x + 2.5, y + 7), (x + 16, y + 7), (x + 13, y + 15), (x, y + 15)], FOLDER)


def star(cv, cx, cy, r):
    pts = []
    for i in range(10):
        rr = r if i % 2 == 0 else r * 0.45
        a = math.radians(-90 + i * 36)
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    cv.polygon(pts, (200, 150, 0, 255))
    pts2 = [(cx + (px - cx) * 0.75, cy + (py - cy) * 0.75) for px, py in pts]
    cv.polygon(pts2, STAR)


def bmp_create(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    two_heads(cv)
    sheet(cv, 9, 7, 7, 9)
    return cv


def bmp_edit(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    two_heads(cv)
    return cv


def bmp_delete(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    two_heads(cv)
    bin_(cv, 8.5, 7.5)
    return cv


def bmp_activate(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    key(cv, 4, 8, 0.95, angle=-35)
    return cv


def bmp_cancel(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    cv.line(3.5, 3.5, 12.5, 12.5, 2.6, RED)
    cv.line(12.5, 3.5, 3.5, 12.5, 2.6, RED)
    return cv


def bmp_wizard(scale=1):
    cv = Canvas(27, 19, FACE, scale)
    folder_open(cv, 0.5, 3)
    star(cv, 5, 4.5, 4.2)
    sheet(cv, 18, 2, 8.5, 15)
    return cv


def bmp_pick(scale=1):
    cv = Canvas(27, 19, FACE, scale)
    folder_open(cv, 0.5, 3)
    sheet(cv, 18, 2, 8.5, 15)
    return cv


def bmp_add(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    sheet(cv, 1, 1, 10, 13)
    cv.rect(9, 10.8, 16, 13.2, GREEN)
    cv.rect(11.3, 8.5, 13.7, 15.5, GREEN)
    return cv


def bmp_deleteitem(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    sheet(cv, 1, 1, 10, 13)
    bin_(cv, 8.5, 7.5)
    return cv


def bmp_replace(scale=1):
    cv = Canvas(16, 16, FACE, scale)
    sheet(cv, 1, 3, 10, 12.5)
    cv.polygon([(12.5, 1), (16, 6), (13.7, 6), (13.7, 12), (11.3, 12), (11.3, 6), (9, 6)], BLUE)
    return cv


def bmp_triangle(up, scale=1):
    cv = Canvas(16, 16, FACE, scale)
    if up:
        outer, inner = [(8, 3), (15, 13), (1, 13)], [(8, 5), (13.2, 12.2), (2.8, 12.2)]
    else:
        outer, inner = [(1, 3), (15, 3), (8, 13)], [(2.8, 3.8), (13.2, 3.8), (8, 11)]
    cv.polygon(outer, PINK_DARK)
    cv.polygon(inner, PINK)
    return cv


# ---- writers ----------------------------------------------------------------------------------


def and_mask(px, w, threshold):
    """The icon's AND mask, rows bottom-up: 1 where alpha is below threshold."""
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < threshold:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return bytes(mask)


# The 16 colours of the standard VGA palette, and for 256 colours a 6x6x6 cube plus greys.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
CUBE256 = ([(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
           + [(v * 255 // 39,) * 3 for v in range(40)])


def nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][c] - rgb[c]) ** 2 for c in range(3)))


def ico_image(cv, bpp=32):
    """BITMAPINFOHEADER, palette (4 and 8 bits), colour rows bottom-up, AND mask."""
    px = cv.pixels()
    w, h = cv.w, cv.h
    palette = {4: VGA16, 8: CUBE256}.get(bpp, [])
    hdr = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, 0, 0, 0, len(palette), 0)
    hdr += b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor = bytearray()
    stride = ((w * bpp + 31) // 32) * 4
    for row in reversed(px):
        if bpp == 32:
            line = b"".join(bytes((b, g, r, a)) for r, g, b, a in row)
        else:
            # A transparent pixel is black under its mask bit; the rest take the nearest colour.
            idx = [nearest(palette, p) if p[3] >= 128 else 0 for p in row]
            if bpp == 8:
                line = bytes(idx)
            else:
                line = bytes((idx[x] << 4) | (idx[x + 1] if x + 1 < w else 0)
                             for x in range(0, w, 2))
        xor += line + bytes(stride - len(line))
    # Alpha-blended images hide only the fully transparent pixels; palette ones the half ones too.
    return hdr + bytes(xor) + and_mask(px, w, 1 if bpp == 32 else 128)


def write_ico(path, entries):
    """entries: (canvas, bits per pixel of its bitmap: 4, 8 or 32)."""
    images = [ico_image(cv, bpp) for cv, bpp in entries]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (cv, bpp), img in zip(entries, images):
        colours = {4: 16}.get(bpp, 0)
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, colours, 0, 1, bpp, len(img),
                           offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


def rle8(rows):
    """8-bit rows (bottom-up) run-length encoded as BI_RLE8: runs of two or more equal pixels as
    (count, index), other stretches of three or more as absolute runs padded to a word; every
    pixel is written, so no delta escape leaves one undrawn."""
    out = bytearray()
    for row in rows:
        literal = bytearray()

        def flush():
            while literal:
                chunk = bytes(literal[:255])
                del literal[:255]
                if len(chunk) < 3:
                    for index in chunk:
                        out.extend((1, index))
                else:
                    out.extend((0, len(chunk)))
                    out.extend(chunk + (b"\0" if len(chunk) % 2 else b""))

        i = 0
        while i < len(row):
            j = i
            while j < len(row) and row[j] == row[i] and j - i < 255:
                j += 1
            if j - i >= 3 or (j - i == 2 and not literal):
                flush()
                out.extend((j - i, row[i]))
            else:
                literal.extend(row[i:j])
            i = j
        flush()
        out.extend((0, 0))  # end of line
    out[-2:] = (0, 1)  # end of picture
    return bytes(out)


def write_bmp(path, cv):
    """BMP, rows bottom-up, padded to 4 bytes; transparency composed over the face. 8-bit with a
    palette of exactly the picture's colours when it has at most 256 (lossless and less than half
    the size), run-length encoded where that is smaller, else 24-bit."""
    px = cv.pixels()
    w, h = cv.w, cv.h
    rows = []
    for row in reversed(px):
        line = []
        for r, g, b, a in row:
            f = a / 255.0
            line.append(tuple(int(round(c * f + 192 * (1 - f))) for c in (b, g, r)))
        rows.append(line)
    colours = sorted({c for line in rows for c in line})
    if len(colours) <= 256:
        index = {c: i for i, c in enumerate(colours)}
        bpp, palette = 8, b"".join(bytes(c) + b"\0" for c in colours)
        encode = lambda line: bytes(index[c] for c in line)
    else:
        bpp, palette = 24, b""
        encode = lambda line: b"".join(bytes(c) for c in line)
    stride = ((w * bpp + 31) // 32) * 4
    data = b"".join(encode(line) + bytes(stride - len(encode(line))) for line in rows)
    compression = 0
    if bpp == 8:
        packed = rle8([encode(line) for line in rows])
        if len(packed) < len(data):
            compression, data = 1, packed  # BI_RLE8
    used = len(colours) if bpp == 8 else 0
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, compression, len(data), 3780, 3780,
                       used, 0)
    start = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", start + len(data), 0, 0, start)
    with open(path, "wb") as f:
        f.write(head + info + palette + data)


# Icon sizes: the small and large icon at 100, 125, 150 and 200 percent, and 48 pixels for the
# shell's tiles. Every one is a 32-bit bitmap with its alpha channel, which every Windows draws
# (Windows XP draws no PNG image in an icon); the main icon also carries 16-colour and
# 256-colour images.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)


def icon_entries(draw):
    return [(draw(size), 32) for size in ICON_SIZES]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "art")
    os.makedirs(out, exist_ok=True)
    main_icon = icon_entries(icon_main)
    main_icon += [(icon_main(size), bpp) for bpp in (4, 8) for size in (16, 32)]
    write_ico(os.path.join(out, "MAINICON.ico"), main_icon)
    write_ico(os.path.join(out, "NOT_WORK.ico"), icon_entries(lambda n: icon_padlock(n, False)))
    write_ico(os.path.join(out, "WORK.ico"), icon_entries(lambda n: icon_padlock(n, True)))
    bitmaps = {
        "BMP_CREATEPROFILE": bmp_create,
        "BMP_EDITPROFILE": bmp_edit,
        "BMP_DELETEPROFILE": bmp_delete,
        "BMP_ACTIVATE": bmp_activate,
        "BMP_CANCEL": bmp_cancel,
        "BMP_WIZARD": bmp_wizard,
        "BMP_PICK": bmp_pick,
        "BMP_ADD": bmp_add,
        "BMP_DELETEITEM": bmp_deleteitem,
        "BMP_REPLACE": bmp_replace,
        "BMP_UP": lambda scale: bmp_triangle(True, scale),
        "BMP_DOWN": lambda scale: bmp_triangle(False, scale),
    }
    # Each picture at its size and at twice its size, which the program scales down smoothly
    # for the scales between.
    for name, draw in bitmaps.items():
        write_bmp(os.path.join(out, name + ".bmp"), draw(1))
        write_bmp(os.path.join(out, name + "_2X.bmp"), draw(2))


if __name__ == "__main__":
    main()
