#!/usr/bin/env python3
"""Draws the program icon, a broom sweeping up three crumbs, and writes it as resources/krumenfeger.ico.

The icon holds one 22x22 image in 32-bit colour with an alpha channel. The pixels are sampled from the
shapes below with IEEE floating point, which gives the same result on every machine, so running the
script again reproduces the file byte for byte.
"""
import math
import struct
import sys
from pathlib import Path

SIZE = 22
SAMPLES = 4  # sub-pixel samples per axis, for smooth edges

HANDLE = (139, 87, 42)
BINDING = (150, 40, 40)
STRAW = (226, 186, 80)
STRAW_DARK = (176, 132, 40)
CRUMB = (168, 112, 50)

# The broom's axis runs from the handle's top right to the bristles' tip at the bottom left.
HANDLE_TOP = (19.5, 1.5)
BINDING_AT = (10.0, 11.5)
AXIS = (BINDING_AT[0] - HANDLE_TOP[0], BINDING_AT[1] - HANDLE_TOP[1])
AXIS_LENGTH = math.hypot(*AXIS)
DOWN = (AXIS[0] / AXIS_LENGTH, AXIS[1] / AXIS_LENGTH)  # unit vector along the broom
ACROSS = (-DOWN[1], DOWN[0])  # unit vector across the broom

CRUMBS = ((14.5, 19.0, 1.3), (17.8, 17.2, 1.1), (19.6, 20.2, 1.2))


def broom_coordinates(x, y):
    """Position along the broom measured from the binding, and distance across the axis."""
    dx, dy = x - BINDING_AT[0], y - BINDING_AT[1]
    return dx * DOWN[0] + dy * DOWN[1], dx * ACROSS[0] + dy * ACROSS[1]


def colour_at(x, y):
    """The colour of the picture at one sample point, or None where it is transparent."""
    for cx, cy, radius in CRUMBS:
        if math.hypot(x - cx, y - cy) <= radius:
            return CRUMB
    along, across = broom_coordinates(x, y)
    if -AXIS_LENGTH <= along < -1.0 and abs(across) <= 1.1:
        return HANDLE
    if -1.0 <= along < 1.0 and abs(across) <= 2.6:
        return BINDING
    if 1.0 <= along <= 9.5 and abs(across) <= 2.6 + 0.45 * (along - 1.0):
        # Dark stripes fanning out from the binding suggest the single straws.
        fan = across / (2.6 + 0.45 * (along - 1.0))
        return STRAW_DARK if int((fan + 1.0) * 3.5) % 2 == 1 else STRAW
    return None


def pixel(px, py):
    """Averages the samples of one pixel into straight (not premultiplied) BGRA."""
    total = [0, 0, 0]
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            colour = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
            if colour is not None:
                hits += 1
                total = [t + c for t, c in zip(total, colour)]
    if hits == 0:
        return bytes(4)
    red, green, blue = (round(t / hits) for t in total)
    return bytes((blue, green, red, round(255 * hits / SAMPLES**2)))


def icon_file():
    """An .ico with one 32-bit DIB image: header, directory entry, bitmap header, pixels, AND mask."""
    rows = [b"".join(pixel(x, y) for x in range(SIZE)) for y in range(SIZE)]
    colour = b"".join(reversed(rows))  # DIBs are stored bottom-up
    mask_stride = (SIZE + 31) // 32 * 4
    mask = bytes(mask_stride * SIZE)  # all zero: the alpha channel decides what shows
    bitmap = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = bitmap + colour + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def main():
    target = Path(__file__).resolve().parent / "krumenfeger.ico"
    target.write_bytes(icon_file())
    print(f"wrote {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
