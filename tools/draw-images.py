#!/usr/bin/env python3
"""Draws Tandrel's images (the window shape "earth" and the toolbar icons) as PNG files.

The PNGs in resources/images are the output of this script; run it again after changing it:
    tools/draw-images.py resources/images
"""
import math
import struct
import sys
import zlib


def write_png(path, width, height, pixels):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        raw.extend(pixels[y * width * 4:(y + 1) * width * 4])

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        out.write(chunk(b"IEND", b""))


def render(width, height, shade, samples=2):
    """shade(x, y) -> (r, g, b, a) in 0..1 for a point; supersampled for smooth edges."""
    pixels = bytearray(width * height * 4)
    offsets = [(i + 0.5) / samples for i in range(samples)]
    n = samples * samples
    for y in range(height):
        for x in range(width):
            r = g = b = a = 0.0
            for oy in offsets:
                for ox in offsets:
                    cr, cg, cb, ca = shade(x + ox, y + oy)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            i = (y * width + x) * 4
            if a > 0:
                pixels[i:i + 4] = bytes((round(255 * r / a), round(255 * g / a), round(255 * b / a), round(255 * a / n)))
    return pixels


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and left <= x <= right and top <= y <= bottom


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def earth(x, y):
    # The window's shape: a pale sky with the curve of the earth along its lower edge.
    if not in_rounded_rect(x, y, 4, 4, 756, 596, 30):
        return (0, 0, 0, 0)
    if not in_rounded_rect(x, y, 7, 7, 753, 593, 27):
        return (0.35, 0.52, 0.72, 1)
    sky = mix((0.93, 0.96, 0.99), (0.80, 0.88, 0.97), y / 600)
    d = math.hypot(x - 380, y - 1650) - 1130
    if d < 0:
        land = 0.5 + 0.5 * math.sin(x / 37.0) * math.cos(y / 23.0)
        return mix((0.55, 0.76, 0.86), (0.62, 0.82, 0.66), land * 0.6) + (1,)
    if d < 6:
        return mix((0.70, 0.85, 0.95), sky, d / 6) + (1,)
    return sky + (1,)


def disc_icon(color, mark):
    def shade(x, y):
        d = math.hypot(x - 16, y - 16)
        if d > 14.5:
            return (0, 0, 0, 0)
        if mark(x, y):
            return (1, 1, 1, 1)
        return mix(color, tuple(c * 0.7 for c in color), d / 14.5) + (1,)
    return shade


def near_segment(x, y, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= width


def connect_mark(x, y):  # a play arrow
    return x >= 12 and (abs(y - 16) <= (23 - x) * 0.62)


def running_mark(x, y):  # three dots
    return any(math.hypot(x - cx, y - 16) <= 2.6 for cx in (9, 16, 23))


def disconnect_mark(x, y):  # a cross
    return near_segment(x, y, 10, 10, 22, 22, 2) or near_segment(x, y, 22, 10, 10, 22, 2)


def save_mark(x, y):  # an arrow down onto a line
    return near_segment(x, y, 16, 8, 16, 19, 2) or near_segment(x, y, 11, 15, 16, 20, 2) \
        or near_segment(x, y, 21, 15, 16, 20, 2) or near_segment(x, y, 9, 24, 23, 24, 1.6)


def app_icon(x, y):
    d = math.hypot(x - 64, y - 64)
    if d > 60:
        return (0, 0, 0, 0)
    land = math.sin(x / 11.0 + 1) * math.cos(y / 9.0) > 0.25
    base = (0.36, 0.70, 0.45) if land else (0.25, 0.52, 0.86)
    return mix(base, tuple(c * 0.6 for c in base), (d / 60) ** 2) + (1,)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "resources/images"
    write_png(f"{out}/earth.png", 760, 600, render(760, 600, earth, samples=1))
    write_png(f"{out}/connect.png", 32, 32, render(32, 32, disc_icon((0.20, 0.66, 0.32), connect_mark), 4))
    write_png(f"{out}/running.png", 32, 32, render(32, 32, disc_icon((0.95, 0.60, 0.15), running_mark), 4))
    write_png(f"{out}/disconnect.png", 32, 32, render(32, 32, disc_icon((0.82, 0.24, 0.22), disconnect_mark), 4))
    write_png(f"{out}/save.png", 32, 32, render(32, 32, disc_icon((0.22, 0.45, 0.82), save_mark), 4))
    write_png(f"{out}/tandrel.png", 128, 128, render(128, 128, app_icon, 3))


if __name__ == "__main__":
    main()
