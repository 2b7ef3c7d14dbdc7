#!/usr/bin/env python3
"""Renders an SVG with rsvg-convert and checks that the picture is not blank:
the plot's white ground, grid and two curves give several colours, each
curve's among them. Usage: check_plot_render.py FILE.svg"""
import struct
import subprocess
import sys
import zlib


def pixels(png):
    """The width, bytes per pixel and rows of an 8-bit, non-interlaced RGB or RGBA PNG."""
    assert png[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    position, data, header = 8, b"", None
    while position < len(png):
        length, kind = struct.unpack(">I4s", png[position:position + 8])
        body = png[position + 8:position + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            data += body
        position += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG layout"
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(data)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - bpp] if x >= bpp else 0
            up = previous[x]
            corner = previous[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line))
        previous = line
    return width, bpp, rows


def main():
    png = subprocess.run(["rsvg-convert", "-f", "png", sys.argv[1]], check=True, capture_output=True).stdout
    width, bpp, rows = pixels(png)
    colours = {}
    for row in rows:
        for x in range(0, len(row), bpp):
            colour = row[x:x + 3]
            colours[colour] = colours.get(colour, 0) + 1
    total = width * len(rows)
    white = colours.get(b"\xff\xff\xff", 0)
    # The two curve colours of the plot, as drawn.
    input_grey, chosen_blue = bytes.fromhex("7f7f7f"), bytes.fromhex("1f5fbf")
    problems = []
    if white > 0.98 * total:
        problems.append("the picture is almost all white")
    for name, colour in (("input", input_grey), ("chosen", chosen_blue)):
        if colours.get(colour, 0) < 100:
            problems.append("the %s curve's colour is missing" % name)
    for problem in problems:
        print(problem)
    print("%d x %d pixels, %d colours, %.1f %% white" % (width, len(rows), len(colours), 100.0 * white / total))
    sys.exit(1 if problems else 0)


main()
