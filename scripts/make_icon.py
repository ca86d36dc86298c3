#!/usr/bin/env python3
"""Draws the application icon (a colour wheel with a camera lens in its middle) at 16, 32
and 48 pixels into resources/icons/. Run once after changing the artwork; the PNG files are
committed."""
import colorsys
import math
import struct
import zlib
from pathlib import Path

SAMPLES = 4  # supersampling per axis, for smooth edges
OUTLINE = (48, 48, 56)
LENS_RING = (30, 34, 42)
LENS_GLASS_CENTRE = (70, 110, 170)
LENS_GLASS_EDGE = (14, 22, 44)
HIGHLIGHT = (235, 242, 255)


def blend(under, over, alpha):
    return tuple(u + (o - u) * alpha for u, o in zip(under, over))


def sample(x, y):
    """Colour and coverage of one point, with the icon spanning -1..1 on both axes."""
    r = math.hypot(x, y)
    if r > 0.96:
        return (0, 0, 0), 0.0
    if r > 0.88:
        return OUTLINE, 1.0
    if r > 0.50:
        hue = (math.degrees(math.atan2(-y, x)) % 360) / 360
        saturation = min(1.0, (r - 0.30) / 0.58)
        return tuple(c * 255 for c in colorsys.hsv_to_rgb(hue, saturation, 1.0)), 1.0
    if r > 0.36:
        return LENS_RING, 1.0
    glass = blend(LENS_GLASS_CENTRE, LENS_GLASS_EDGE, r / 0.36)
    if math.hypot(x + 0.12, y + 0.12) < 0.09:
        return HIGHLIGHT, 1.0
    return glass, 1.0


def render(size):
    rows = []
    for py in range(size):
        row = bytearray([0])  # PNG filter type: none
        for px in range(size):
            colour = [0.0, 0.0, 0.0]
            coverage = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = ((px + (sx + 0.5) / SAMPLES) / size) * 2 - 1
                    y = ((py + (sy + 0.5) / SAMPLES) / size) * 2 - 1
                    rgb, alpha = sample(x, y)
                    coverage += alpha
                    for i in range(3):
                        colour[i] += rgb[i] * alpha
            n = SAMPLES * SAMPLES
            if coverage > 0:
                colour = [c / coverage for c in colour]
            row += bytes(int(round(c)) for c in colour) + bytes([int(round(255 * coverage / n))])
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9))
            + chunk(b"IEND", b""))


def main():
    folder = Path(__file__).resolve().parent.parent / "resources" / "icons"
    folder.mkdir(parents=True, exist_ok=True)
    for size in (16, 32, 48):
        (folder / f"vizmar-{size}.png").write_bytes(png(size, render(size)))


if __name__ == "__main__":
    main()
