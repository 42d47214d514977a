#!/usr/bin/env python3
"""Draws timed-shutdown.ico: a white power symbol on a black disc edged by a white ring,
transparent outside the disc; one 128 x 128 image, 32 bits per pixel, stored as PNG so that
it costs the executable a few KiB instead of 66."""
import math
import struct
import zlib
from pathlib import Path

SIZE = 128
SUB = 4  # samples per pixel edge, for smooth edges
CENTRE = SIZE / 2
DISC, RING = 62.0, 5.5  # outer radius, ring width
SYMBOL_R, STROKE = 30.0, 9.0  # broken circle radius and stroke width
GAP = math.radians(40)  # half-opening of the circle at the top
BAR_TOP, BAR_BOTTOM = 22.0, 62.0


def colour_at(x, y):
    """None outside the disc, else True for white, False for black."""
    dx, dy = x - CENTRE, y - CENTRE
    r = math.hypot(dx, dy)
    if r > DISC:
        return None
    if r > DISC - RING:
        return True
    if abs(dx) <= STROKE / 2 and BAR_TOP <= y <= BAR_BOTTOM:
        return True
    for end in (BAR_TOP, BAR_BOTTOM):  # round bar ends
        if math.hypot(dx, y - end) <= STROKE / 2:
            return True
    if abs(r - SYMBOL_R) <= STROKE / 2 and abs(math.atan2(dx, -dy)) >= GAP:
        return True
    for side in (-1, 1):  # round ends of the broken circle
        ex = CENTRE + side * SYMBOL_R * math.sin(GAP)
        ey = CENTRE - SYMBOL_R * math.cos(GAP)
        if math.hypot(x - ex, y - ey) <= STROKE / 2:
            return True
    return False


def pixel(px, py):
    inside = white = 0
    for sy in range(SUB):
        for sx in range(SUB):
            c = colour_at(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
            if c is not None:
                inside += 1
                white += c
    if inside == 0:
        return b"\0\0\0\0"
    grey = round(255 * white / inside)
    return bytes((grey, grey, grey, round(255 * inside / SUB**2)))


def png(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + row for row in rows)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    rows = [b"".join(pixel(x, y) for x in range(SIZE)) for y in range(SIZE)]
    image = png(rows)
    # ICONDIR, then one ICONDIRENTRY: 128 x 128 (0 would mean 256), 1 plane, 32 bits per
    # pixel; the image follows at offset 22.
    icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    Path(__file__).with_name("timed-shutdown.ico").write_bytes(icon + image)


if __name__ == "__main__":
    main()
