#!/usr/bin/env python3
"""Writes the card design the printer application tests print, as PNG or as
PWG raster.

Usage: make_design.py png FILE [WIDTH HEIGHT]
       make_design.py pwg FILE (srgb|sgray) [PAGES]

The design: flat blocks of colour and a grey ramp on white, in the card's
landscape shape, so that a card turned or shifted shows. As PNG it is WIDTH x
HEIGHT pixels (1011 x 637 by default: the ID-1 card at 300 dpi, the raster
PAPPL makes of it, so the picture reaches the driver without resampling). As
PWG raster it is that picture laid on the portrait card page the way a
client lays a landscape page (a quarter turn counter-clockwise), 300 dpi,
8-bit sRGB or grey, PAGES pages (1 by default).
"""
import struct
import sys
import zlib

BLOCKS = [  # (left, top, right, bottom) as parts of the card, RGB
    ((0.00, 0.00, 1.00, 0.18), (30, 80, 160)),
    ((0.05, 0.28, 0.35, 0.85), (220, 200, 170)),
    ((0.45, 0.30, 0.95, 0.42), (0, 0, 0)),
    ((0.45, 0.50, 0.80, 0.58), (200, 60, 40)),
    ((0.45, 0.66, 0.70, 0.74), (40, 150, 60)),
    ((0.85, 0.80, 0.97, 0.95), (240, 180, 60)),
]


def design(width, height):
    """Rows of RGB bytes, top-down."""
    rows = []
    for y in range(height):
        row = bytearray(b"\xff" * (3 * width))
        for (left, top, right, bottom), colour in BLOCKS:
            if top * height <= y < bottom * height:
                for x in range(int(left * width), int(right * width)):
                    row[3 * x:3 * x + 3] = bytes(colour)
        if 0.88 * height <= y < 0.97 * height:
            for x in range(int(0.05 * width), int(0.75 * width)):
                level = int(255 * (x - 0.05 * width) / (0.70 * width))
                row[3 * x:3 * x + 3] = bytes((level, level, level))
        rows.append(bytes(row))
    return rows


def png(path, width, height):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + row for row in design(width, height))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def pwg_header(width, height, colours):
    """The 1796-byte PWG raster page header (PWG 5102.4)."""
    header = bytearray(1796)
    header[0:9] = b"PwgRaster"
    def put(offset, value):
        header[offset:offset + 4] = struct.pack(">I", value)
    put(276, 300)                       # HWResolution
    put(280, 300)
    put(352, 152)                       # PageSize in points: 54 x 85.6 mm
    put(356, 243)
    put(372, width)                     # Width
    put(376, height)                    # Height
    put(384, 8)                         # BitsPerColor
    put(388, 8 * colours)               # BitsPerPixel
    put(392, width * colours)           # BytesPerLine
    put(396, 0)                         # ColorOrder: chunky
    put(400, 19 if colours == 3 else 18)  # ColorSpace: sRGB or sGray
    put(420, colours)                   # NumColors
    put(452, 1)                         # TotalPageCount
    return bytes(header)


def pwg_line(line, colours):
    """One line, compressed as PWG raster compresses: runs of equal pixels
    and runs of literal ones."""
    out = bytearray(b"\x00")  # the line appears once
    pixels = [line[i:i + colours] for i in range(0, len(line), colours)]
    i = 0
    while i < len(pixels):
        # Runs of up to 128 equal pixels, else up to 128 literal pixels.
        j = i + 1
        while j < len(pixels) and j - i < 128 and pixels[j] == pixels[i]:
            j += 1
        if j - i > 1:
            out.append(j - i - 1)
            out += pixels[i]
            i = j
            continue
        j = i + 1
        while j < len(pixels) and j - i < 128 and (j + 1 >= len(pixels) or pixels[j] != pixels[j + 1]):
            j += 1
        # A literal run of n pixels is counted 257 - n; one pixel is a run of one.
        out.append(257 - (j - i) if j - i > 1 else 0)
        for p in pixels[i:j]:
            out += p
        i = j
    return bytes(out)


def pwg(path, space, pages):
    colours = 3 if space == "srgb" else 1
    width, height = 637, 1011
    rows = design(height, width)  # the landscape design, 1011 x 637
    # Laid on the portrait page a quarter turn counter-clockwise: page pixel
    # (x, y) is design pixel (height - 1 - y, x).
    page = []
    for y in range(height):
        line = bytearray()
        for x in range(width):
            r, g, b = rows[x][3 * (height - 1 - y):3 * (height - 1 - y) + 3]
            line += bytes((r, g, b)) if colours == 3 else bytes(((r * 299 + g * 587 + b * 114) // 1000,))
        page.append(bytes(line))
    with open(path, "wb") as out:
        out.write(b"RaS2")
        for _ in range(pages):
            out.write(pwg_header(width, height, colours))
            for line in page:
                out.write(pwg_line(line, colours))


def main(argv):
    if len(argv) in (3, 5) and argv[1] == "png":
        width, height = (int(argv[3]), int(argv[4])) if len(argv) == 5 else (1011, 637)
        png(argv[2], width, height)
    elif len(argv) in (4, 5) and argv[1] == "pwg" and argv[3] in ("srgb", "sgray"):
        pwg(argv[2], argv[3], int(argv[4]) if len(argv) == 5 else 1)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
