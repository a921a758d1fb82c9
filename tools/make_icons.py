#!/usr/bin/env python3
"""Draws the programs' icons and writes them as .ico files.

Each icon holds 16x16 and 32x32 images, each twice: 32 bits per pixel with an alpha channel
(XP and later) and 8 bits per pixel with a palette and a transparency mask (the 9x family and
NT 4, which know no alpha). Shapes are drawn with hard edges, so both forms show the same picture.

usage: make_icons.py OUTPUT_FOLDER
writes Quorvane.ico, QuorvaneTray.ico, Tidewell.ico, TidewellTray.ico
"""
import os
import struct
import sys

SIZES = (16, 32)

NAVY = (24, 52, 110)
BLUE = (40, 110, 200)
WHITE = (255, 255, 255)
GREEN = (40, 170, 70)
GOLD = (235, 180, 40)
TEAL = (20, 130, 140)


def inside_rounded(x, y, x0, y0, x1, y1, r):
    """Whether the pixel centre (x, y) lies in the rounded rectangle (unit coordinates)."""
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_rect(x, y, x0, y0, x1, y1):
    return x0 <= x <= x1 and y0 <= y <= y1


def inside_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def chip(x, y):
    """A memory chip: white body, pins above and below, a green bar on it (its free memory)."""
    if inside_rect(x, y, 0.22, 0.34, 0.78, 0.66):
        return GREEN if inside_rect(x, y, 0.30, 0.45, 0.58, 0.55) else WHITE
    for i in range(4):
        px = 0.28 + i * 0.14
        if inside_rect(x, y, px, 0.24, px + 0.07, 0.34) or inside_rect(x, y, px, 0.66, px + 0.07, 0.76):
            return WHITE
    return None


def quorvane_program(x, y):
    c = chip(x, y)
    if c:
        return c
    if inside_rounded(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        return NAVY if not inside_rounded(x, y, 0.08, 0.08, 0.92, 0.92, 0.14) else BLUE
    return None


def quorvane_tray(x, y):
    # No frame: the notification area's own background shows around the chip.
    if inside_rect(x, y, 0.12, 0.28, 0.88, 0.72):
        if inside_rect(x, y, 0.22, 0.42, 0.62, 0.58):
            return GREEN
        return NAVY if not inside_rect(x, y, 0.18, 0.34, 0.82, 0.66) else WHITE
    for i in range(4):
        px = 0.20 + i * 0.17
        if inside_rect(x, y, px, 0.12, px + 0.09, 0.28) or inside_rect(x, y, px, 0.72, px + 0.09, 0.88):
            return NAVY
    return None


def arrow(x, y, colour):
    """A downward arrow: shaft and head."""
    if inside_rect(x, y, 0.42, 0.22, 0.58, 0.55):
        return colour
    # head: a triangle pointing down from y 0.50 to 0.80
    if 0.50 <= y <= 0.80:
        half = (0.80 - y) / 0.30 * 0.24
        if abs(x - 0.5) <= half:
            return colour
    return None


def tidewell_program(x, y):
    if inside_circle(x, y, 0.5, 0.5, 0.47):
        a = arrow(x, y, WHITE)
        if a:
            return a
        return TEAL if inside_circle(x, y, 0.5, 0.5, 0.41) else NAVY
    return None


def tidewell_tray(x, y):
    a = arrow(x, y, TEAL)
    if a:
        return a
    if inside_rect(x, y, 0.18, 0.84, 0.82, 0.94):
        return GOLD
    return None


def render(draw, size):
    """Rows top to bottom of (r, g, b) or None (transparent); pixels sampled at their centres."""
    return [[draw((col + 0.5) / size, (row + 0.5) / size) for col in range(size)] for row in range(size)]


def mask_rows(pixels, size):
    """The AND mask, bottom-up, one bit per pixel (1 = transparent), rows padded to 32 bits."""
    stride = (size + 31) // 32 * 4
    out = b""
    for row in reversed(pixels):
        bits = bytearray(stride)
        for col, p in enumerate(row):
            if p is None:
                bits[col // 8] |= 0x80 >> (col % 8)
        out += bytes(bits)
    return out


def bitmap_header(size, bpp, colours):
    # Height counts the colour image and the mask together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, colours, 0)


def image_32bpp(pixels, size):
    data = bytearray()
    for row in reversed(pixels):
        for p in row:
            data += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
    return bitmap_header(size, 32, 0) + bytes(data) + mask_rows(pixels, size)


def image_8bpp(pixels, size):
    palette = [(0, 0, 0)]  # index 0: what transparent pixels hold under the mask
    for row in pixels:
        for p in row:
            if p is not None and p not in palette:
                palette.append(p)
    if len(palette) > 256:
        raise ValueError("more than 256 colours in an 8-bit image")
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + bytes(4 * (256 - len(palette)))
    data = bytearray()
    for row in reversed(pixels):
        data += bytes(0 if p is None else palette.index(p) for p in row)  # 8-bit rows of 16, 32: aligned
    return bitmap_header(size, 8, 256) + table + bytes(data) + mask_rows(pixels, size)


def ico(draw):
    images = []
    for size in SIZES:
        pixels = render(draw, size)
        images.append((size, 32, image_32bpp(pixels, size)))
        images.append((size, 8, image_8bpp(pixels, size)))
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return head + entries + b"".join(data for _, _, data in images)


ICONS = {
    "Quorvane.ico": quorvane_program,
    "QuorvaneTray.ico": quorvane_tray,
    "Tidewell.ico": tidewell_program,
    "TidewellTray.ico": tidewell_tray,
}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for name, draw in ICONS.items():
        path = os.path.join(argv[1], name)
        data = ico(draw)
        # Only rewrite a changed icon, so the resources are not recompiled for nothing.
        try:
            with open(path, "rb") as f:
                if f.read() == data:
                    continue
        except OSError:
            pass
        with open(path + ".tmp", "wb") as f:
            f.write(data)
        os.replace(path + ".tmp", path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
