#!/usr/bin/env python3
"""The committed icons: what draw_art.py draws, no PNG frame below 256 pixels (Windows XP draws
none), and the tray states told apart on a light and a dark taskbar, by this measure per frame
size and taskbar: each frame laid over the taskbar by its alpha; two pixels differ when their
red, green and blue differences add up to more than 96; an outline pixel is an opaque one (alpha
at least 128) beside a transparent one or the frame's edge, and it stands out at a WCAG contrast
of at least 3:1 with the taskbar. Usage: check_art.py RESOURCES_FOLDER
"""

import os
import struct
import subprocess
import sys
import tempfile

TASKBARS = {"light": (0xF3, 0xF3, 0xF3), "dark": (0x20, 0x20, 0x20)}
MIN_STATE_DIFFERENCE = 0.35
MIN_OUTLINE_CONTRAST = 0.90
ICONS = ("MAINICON.ico", "NOT_WORK.ico", "WORK.ico")


def frames(path):
    """(size, kind, pixels) per image of an .ico file: kind "png" or the bitmap's bits per
    pixel; pixels rows top to bottom of (r, g, b, a) for 32-bit bitmaps, else None."""
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), path + ": not an icon file"
    out = []
    for i in range(count):
        w, h, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        image = data[offset:offset + size]
        assert len(image) == size, path + ": an image runs past the end of the file"
        side = w or 256
        if image.startswith(b"\x89PNG"):
            out.append((side, "png", None))
            continue
        _, bw, bh, _, bpp = struct.unpack_from("<IiiHH", image, 0)
        assert (bw, bh) == (side, 2 * side), f"{path}: a {side} pixel entry holds {bw}x{bh // 2}"
        pixels = None
        if bpp == 32:
            stride = side * 4
            rows = [image[40 + y * stride:40 + (y + 1) * stride] for y in range(side)]
            pixels = [[(r[x + 2], r[x + 1], r[x], r[x + 3]) for x in range(0, stride, 4)]
                      for r in reversed(rows)]
        out.append((side, bpp, pixels))
    return out


def over(p, bg):
    a = p[3] / 255.0
    return tuple(p[i] * a + bg[i] * (1 - a) for i in range(3))


def luminance(rgb):
    def channel(c):
        c /= 255.0
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4

    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def state_difference(one, other, bg):
    n = len(one)
    differ = sum(1 for y in range(n) for x in range(n)
                 if sum(abs(c - d) for c, d in zip(over(one[y][x], bg), over(other[y][x], bg)))
                 > 96)
    return differ / (n * n)


def outline_contrast(pixels, bg):
    n = len(pixels)

    def opaque(x, y):
        return 0 <= x < n and 0 <= y < n and pixels[y][x][3] >= 128

    edge = [(x, y) for y in range(n) for x in range(n) if opaque(x, y) and not all(
        opaque(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))]
    if not edge:
        return 0.0
    return sum(1 for x, y in edge if contrast(over(pixels[y][x], bg), bg) >= 3) / len(edge)


def main():
    resources = sys.argv[1]
    art = os.path.join(resources, "art")
    failures = []
    with tempfile.TemporaryDirectory() as drawn:
        subprocess.run([sys.executable, os.path.join(resources, "draw_art.py"), drawn], check=True)
        for name in sorted(os.listdir(drawn)):
            if open(os.path.join(drawn, name), "rb").read() != open(
                    os.path.join(art, name), "rb").read():
                failures.append(f"{name}: not what draw_art.py draws (run it into resources/art)")

    icons = {name: frames(os.path.join(art, name)) for name in ICONS}
    for name, images in icons.items():
        for side, kind, _ in images:
            if side < 256 and kind == "png":
                failures.append(f"{name}: the {side} pixel frame is a PNG image")

    ready = {side: px for side, kind, px in icons["NOT_WORK.ico"] if kind == 32}
    working = {side: px for side, kind, px in icons["WORK.ico"] if kind == 32}
    if sorted(ready) != sorted(working) or not ready or min(ready) > 16 or max(ready) < 64:
        failures.append(f"tray icons: sizes {sorted(ready)} and {sorted(working)}")
    print("size taskbar  differ  ready-outline  working-outline")
    for side in sorted(set(ready) & set(working)):
        for taskbar, bg in TASKBARS.items():
            differ = state_difference(ready[side], working[side], bg)
            outlines = [outline_contrast(px[side], bg) for px in (ready, working)]
            print(f"{side:4} {taskbar:7} {differ:6.0%}  {outlines[0]:13.0%}  {outlines[1]:15.0%}")
            if differ < MIN_STATE_DIFFERENCE:
                failures.append(f"{side} px on the {taskbar} taskbar: the states differ in "
                                f"{differ:.0%} of the pixels")
            for state, share in zip(("ready", "working"), outlines):
                if share < MIN_OUTLINE_CONTRAST:
                    failures.append(f"{side} px {state} on the {taskbar} taskbar: {share:.0%} "
                                    "of the outline reaches 3:1")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
