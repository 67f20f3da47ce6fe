#!/usr/bin/env python3
"""Draws the plug-in's five object icons and writes them as TIFF files into plugin/res/.

Each icon is a 32 x 32 RGBA pictogram built from a few filled shapes, antialiased by
sampling every pixel 4 x 4 times. The files are baseline TIFF: one uncompressed strip,
8-bit RGB with an unassociated alpha channel, little-endian. Only the standard library is
used, and the output is byte-for-byte the same on every run, so the committed images can
be checked against this script.

    python3 scripts/make_icons.py [output folder, default: plugin/res/ of this repository]
"""

import math
import os
import struct
import sys

SIZE = 32
SAMPLES = 4


# ---------------------------------------------------------------- shapes
# A shape is a function (x, y) -> bool in pixel coordinates, y downwards.

def disk(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    inner = r - width
    return lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse_ring(cx, cy, rx, ry, width):
    def inside(x, y):
        outer = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
        if rx <= width or ry <= width:
            return outer <= 1.0
        inner = ((x - cx) / (rx - width)) ** 2 + ((y - cy) / (ry - width)) ** 2
        return outer <= 1.0 and inner >= 1.0
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    """Even-odd fill of a closed polygon."""
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay > y) != (by > y):
                cross = ax + (y - ay) * (bx - ax) / (by - ay)
                if x < cross:
                    result = not result
        return result
    return inside


def thick_line(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return polygon([(ax + nx, ay + ny), (bx + nx, by + ny), (bx - nx, by - ny), (ax - nx, ay - ny)])


def clipped(shape, clip):
    return lambda x, y: shape(x, y) and clip(x, y)


# ---------------------------------------------------------------- painting

def paint(layers):
    """Composites (shape, (r, g, b, a)) layers over a transparent canvas; returns RGBA bytes."""
    pixels = bytearray()
    step = 1.0 / SAMPLES
    for py in range(SIZE):
        for px in range(SIZE):
            # Premultiplied accumulation over the subsamples.
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) * step
                    y = py + (sy + 0.5) * step
                    r = g = b = a = 0.0
                    for shape, (cr, cg, cb, ca) in layers:
                        if shape(x, y):
                            alpha = ca / 255.0
                            r = cr / 255.0 * alpha + r * (1 - alpha)
                            g = cg / 255.0 * alpha + g * (1 - alpha)
                            b = cb / 255.0 * alpha + b * (1 - alpha)
                            a = alpha + a * (1 - alpha)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                colour = [round(min(1.0, c / n / alpha) * 255) for c in acc[:3]]
            else:
                colour = [0, 0, 0]
            pixels += bytes(colour + [round(alpha * 255)])
    return bytes(pixels)


# ---------------------------------------------------------------- the five icons

def world_icon():
    """A globe: the world that moves every crowd."""
    globe = disk(16, 16, 13.5)
    line = (225, 240, 255, 255)
    return [
        (globe, (36, 98, 186, 255)),
        (clipped(ellipse_ring(16, 16, 6.5, 13.5, 1.4), globe), line),
        (clipped(rect(2, 15.3, 30, 16.7), globe), line),
        (clipped(ellipse_ring(16, 16, 13.5, 6.5, 1.2), globe), line),
        (ring(16, 16, 13.5, 1.5), (18, 52, 110, 255)),
    ]


def generator_icon():
    """A three by three grid of agents."""
    layers = [(rect(2, 2, 30, 30), (40, 70, 40, 60))]
    for gy in (8, 16, 24):
        for gx in (8, 16, 24):
            layers.append((disk(gx, gy, 4.2), (20, 90, 30, 255)))
            layers.append((disk(gx - 0.6, gy - 0.6, 3.2), (92, 196, 92, 255)))
    return layers


def behaviour_icon():
    """A steering arrow bending towards the upper right."""
    orange = (232, 128, 24, 255)
    dark = (130, 60, 6, 255)
    head = [(29, 3), (27, 15), (17, 5)]
    return [
        (thick_line(5, 28, 22, 10, 7.0), dark),
        (polygon([(30.5, 1.5), (28, 17), (15, 4)]), dark),
        (thick_line(5.8, 27.2, 22, 10, 4.6), orange),
        (polygon(head), orange),
    ]


def obstacle_icon():
    """A no-entry sign: the place that agents steer around."""
    return [
        (disk(16, 16, 14), (120, 14, 14, 255)),
        (disk(16, 16, 12.6), (214, 36, 36, 255)),
        (rect(7, 13.5, 25, 18.5), (250, 246, 240, 255)),
    ]


def blend_icon():
    """Two overlapping behaviours combined into one."""
    return [
        (disk(11.5, 16, 9.5), (40, 170, 200, 230)),
        (disk(20.5, 16, 9.5), (190, 60, 190, 170)),
        (ring(11.5, 16, 9.5, 1.2), (16, 80, 100, 255)),
        (ring(20.5, 16, 9.5, 1.2), (96, 24, 96, 255)),
    ]


ICONS = {
    "Crowdworld.tif": world_icon,
    "Crowdgenerator.tif": generator_icon,
    "CrowdBehav.tif": behaviour_icon,
    "Crowdobstacle.tif": obstacle_icon,
    "CrowdBlend.tif": blend_icon,
}


# ---------------------------------------------------------------- TIFF writing

SHORT, LONG, RATIONAL = 3, 4, 5


def tiff_bytes(width, height, rgba):
    """A little-endian baseline TIFF: one strip of interleaved 8-bit RGBA."""
    header_size = 8
    pixels_offset = header_size
    extra_offset = pixels_offset + len(rgba)  # bits per sample, then the two resolutions
    bits_offset = extra_offset
    xres_offset = bits_offset + 8
    yres_offset = xres_offset + 8
    ifd_offset = yres_offset + 8

    entries = [
        (256, SHORT, 1, width),             # ImageWidth
        (257, SHORT, 1, height),            # ImageLength
        (258, SHORT, 4, bits_offset),       # BitsPerSample 8, 8, 8, 8
        (259, SHORT, 1, 1),                 # Compression: none
        (262, SHORT, 1, 2),                 # PhotometricInterpretation: RGB
        (273, LONG, 1, pixels_offset),      # StripOffsets
        (274, SHORT, 1, 1),                 # Orientation: top left
        (277, SHORT, 1, 4),                 # SamplesPerPixel
        (278, SHORT, 1, height),            # RowsPerStrip
        (279, LONG, 1, len(rgba)),          # StripByteCounts
        (282, RATIONAL, 1, xres_offset),    # XResolution 72/1
        (283, RATIONAL, 1, yres_offset),    # YResolution 72/1
        (284, SHORT, 1, 1),                 # PlanarConfiguration: interleaved
        (296, SHORT, 1, 2),                 # ResolutionUnit: inch
        (338, SHORT, 1, 2),                 # ExtraSamples: unassociated alpha
    ]
    out = bytearray(b"II*\x00" + struct.pack("<I", ifd_offset))
    out += rgba
    out += struct.pack("<4H", 8, 8, 8, 8)
    out += struct.pack("<2I", 72, 1)
    out += struct.pack("<2I", 72, 1)
    out += struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if kind == SHORT and count == 1:
            out += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            out += struct.pack("<HHII", tag, kind, count, value)
    out += struct.pack("<I", 0)  # no further image
    return bytes(out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    folder = argv[1] if len(argv) > 1 else os.path.join(here, os.pardir, "plugin", "res")
    os.makedirs(folder, exist_ok=True)
    for name, draw in ICONS.items():
        data = tiff_bytes(SIZE, SIZE, paint(draw()))
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        print(f"{os.path.normpath(path)}: {SIZE} x {SIZE} RGBA, {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
