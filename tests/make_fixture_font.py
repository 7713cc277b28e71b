#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes a small TrueType font of our own whose glyph 'zero' is stored as the
exact plain-zero description the tool looks for, so the tool has something
real to patch. With --zeros 2 a second, unmapped glyph holds the same bytes,
for runs that must find a further occurrence.

Needs Debian's python3-fonttools, so run it with /usr/bin/python3.
"""
import argparse

from fontTools.fontBuilder import FontBuilder
from fontTools.ttLib import newTable
from fontTools.ttLib.tables import ttProgram
from fontTools.ttLib.tables._g_l_y_f import Glyph

# The plain zero: 2 contours, 55 points, bounding box (54, 1)-(440, 714).
PLAIN_ZERO = bytes.fromhex(
    "00020036000101b802ca001a00360009"
    "b3143a21002b0030312527072e01272e"
    "01273e01373e01371e01171e0117150e"
    "01070e01273e01373e0137352e01272e"
    "01230e01070e01151e01171e01173717"
    "0114120424381a282802082036183e20"
    "1c3816221a080c1c30122212141e0a12"
    "0c0a08181e122616101c0c2c1e101c26"
    "0e1e121206010503032b1b41944d4d9e"
    "3d1917040d151b387f405a4790380a22"
    "430c2615295c2c5a38722e0d0c040d0e"
    "41a04f366f2e0c1502020200"
)
ZERO_ADVANCE = 494
UNITS_PER_EM = 1000


def empty_glyph():
    glyph = Glyph()
    glyph.numberOfContours = 0
    return glyph


def build(zero_count):
    zero_names = ["zero"] + ["zero.alt%d" % n for n in range(1, zero_count)]
    glyph_order = [".notdef", "space"] + zero_names
    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.setupGlyphOrder(glyph_order)
    fb.setupCharacterMap({0x20: "space", 0x30: "zero"})
    glyphs = {".notdef": empty_glyph(), "space": empty_glyph()}
    for name in zero_names:
        # Raw bytes, never expanded: the file must hold them exactly.
        glyphs[name] = Glyph(PLAIN_ZERO)
    fb.setupGlyf(glyphs, calcGlyphBounds=False)
    metrics = {".notdef": (500, 0), "space": (250, 0)}
    metrics.update({name: (ZERO_ADVANCE, 54) for name in zero_names})
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "Tovalin Fixture", "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    fb.setupMaxp()

    font = fb.font
    # The zero's hinting pushes three values and calls function 0, which pops them.
    fpgm = newTable("fpgm")
    fpgm.program = ttProgram.Program()
    fpgm.program.fromAssembly(["PUSHB[ ]", "0", "FDEF[ ]", "POP[ ]", "POP[ ]", "POP[ ]", "ENDF[ ]"])
    font["fpgm"] = fpgm

    maxp = font["maxp"]
    maxp.maxPoints = 55
    maxp.maxContours = 3
    maxp.maxZones = 1
    maxp.maxFunctionDefs = 1
    maxp.maxStackElements = 4
    maxp.maxSizeOfInstructions = 9

    head = font["head"]
    head.xMin, head.yMin, head.xMax, head.yMax = 54, 1, 440, 714
    hhea = font["hhea"]
    hhea.advanceWidthMax = 500
    hhea.minLeftSideBearing = 0
    hhea.minRightSideBearing = 0
    hhea.xMaxExtent = 440
    # Keep every table exactly as built here, glyph bytes above all.
    font.recalcBBoxes = False
    font.recalcTimestamp = False
    return font


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("output", help="where to write the font (.ttf)")
    parser.add_argument("--zeros", type=int, default=1, help="glyphs holding the plain zero")
    args = parser.parse_args()
    font = build(args.zeros)
    font.save(args.output)
    data = open(args.output, "rb").read()
    if data.count(PLAIN_ZERO) != args.zeros:
        raise SystemExit("the plain zero did not reach the file intact")


if __name__ == "__main__":
    main()
