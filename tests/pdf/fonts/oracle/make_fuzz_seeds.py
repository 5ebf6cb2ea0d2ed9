#!/usr/bin/python3
# Writes the seed fonts of the TrueType fuzz entry point: small fonts drawn here (squares,
# curves, a composite with offsets and scales) in both loca formats, with format 4, 0 and 6
# cmaps and post names. Usage: make_fuzz_seeds.py OUTPUT_FOLDER
import os
import sys
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables._c_m_a_p import cmap_format_0, cmap_format_6
from fontTools.ttLib.tables._g_l_y_f import GlyphComponent, Glyph

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def square(size):
    pen = TTGlyphPen(None)
    pen.moveTo((0, 0)); pen.lineTo((size, 0)); pen.lineTo((size, size)); pen.lineTo((0, size)); pen.closePath()
    return pen.glyph()


def bowl():
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0)); pen.qCurveTo((200, 0), (200, 100), (200, 200), (100, 200))
    pen.qCurveTo((0, 200), (0, 0), (100, 0)); pen.closePath()
    return pen.glyph()


def make(name, loca_format, post_format, extra_cmaps):
    order = [".notdef", "space", "A", "a", "Aacute", "acute"]
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x41: "A", 0x61: "a", 0xC1: "Aacute", 0xB4: "acute"})
    glyphs = {".notdef": square(500), "space": Glyph(), "A": square(600), "a": bowl(), "acute": square(100)}
    comp = Glyph()
    comp.numberOfContours = -1
    base = GlyphComponent(); base.glyphName = "A"; base.x = 0; base.y = 0; base.flags = 0x4
    accent = GlyphComponent(); accent.glyphName = "acute"; accent.x = 250; accent.y = 700; accent.flags = 0x4
    accent.transform = [[0.5, 0.25], [0, 1.5]]
    comp.components = [base, accent]
    glyphs["Aacute"] = comp
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({g: (600, 0) for g in order})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupPost(formatType=post_format)
    fb.font["head"].indexToLocFormat = loca_format
    for table in extra_cmaps:
        fb.font["cmap"].tables.append(table)
    fb.font.save(os.path.join(out, name))


f0 = cmap_format_0(0); f0.platformID, f0.platEncID, f0.language = 1, 0, 0
f0.cmap = {0x41: "A", 0x61: "a"}
f6 = cmap_format_6(6); f6.platformID, f6.platEncID, f6.language = 3, 0, 0
f6.cmap = {0xF041: "A", 0xF042: "a"}
make("short_loca_post2.ttf", 0, 2.0, [])
make("long_loca_post3.ttf", 1, 3.0, [f0, f6])
make("post1.ttf", 0, 1.0, [f0])
