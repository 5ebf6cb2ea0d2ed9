#!/usr/bin/python3
"""Writes resources/fonts/dingbats.ttf, the built-in dingbats face, as TrueType.

Run once by hand when the source changes; the output is committed:
    /usr/bin/python3 tools/generators/dingbats_font.py resources/fonts/dingbats.ttf

The source is D050000L from fonts-urw-base35 (the URW++ dingbats face, metric-compatible with
ZapfDingbats: same glyph names a1 to a191, same codes, same widths), which Debian ships as
PostScript-flavoured OpenType. Its cubic outlines become quadratic TrueType outlines
(python3-fonttools' cu2qu, 1 unit tolerance at 1000 units per em); the glyph names stay in a
version 2 post table; the character maps get a Macintosh byte table and a Windows symbol
table (U+F020 to U+F0FE) beside the font's own, so that a code finds its glyph whichever
table a reader prefers.
"""
import sys

from fontTools.pens.cu2quPen import Cu2QuPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

SOURCE = '/usr/share/fonts/opentype/urw-base35/D050000L.otf'
KEEP = ['OS/2', 'PCLT', 'cmap', 'glyf', 'head', 'hhea', 'hmtx', 'loca', 'maxp', 'name', 'post']


def to_truetype(font):
    order = font.getGlyphOrder()
    glyph_set = font.getGlyphSet()
    glyf = newTable('glyf')
    glyf.glyphOrder = order
    glyf.glyphs = {}
    for name in order:
        pen = TTGlyphPen(glyph_set)
        glyph_set[name].draw(Cu2QuPen(pen, 1.0, reverse_direction=True))
        glyf.glyphs[name] = pen.glyph()
    font['glyf'] = glyf
    font['loca'] = newTable('loca')
    del font['CFF ']
    font.sfntVersion = '\x00\x01\x00\x00'
    maxp = font['maxp']
    maxp.tableVersion = 0x00010000
    for field in ('maxZones', 'maxTwilightPoints', 'maxStorage', 'maxFunctionDefs', 'maxInstructionDefs',
                  'maxStackElements', 'maxSizeOfInstructions', 'maxComponentElements'):
        setattr(maxp, field, 0)
    maxp.maxZones = 1
    maxp.maxComponentDepth = 0
    post = font['post']
    post.formatType = 2.0
    post.extraNames = []
    post.mapping = {}
    post.glyphOrder = order
    font['head'].indexToLocFormat = 0
    font['head'].glyphDataFormat = 0


def add_byte_maps(font):
    cmap = font['cmap']
    codes = {}
    for table in cmap.tables:
        for code, name in table.cmap.items():
            if 0 <= code <= 0xFF:
                codes.setdefault(code, name)
    mac = CmapSubtable.newSubtable(0)
    mac.platformID, mac.platEncID, mac.language = 1, 0, 0
    mac.cmap = {c: codes.get(c, '.notdef') for c in range(256)}
    symbol = CmapSubtable.newSubtable(4)
    symbol.platformID, symbol.platEncID, symbol.language = 3, 0, 0
    symbol.cmap = {0xF000 + c: n for c, n in codes.items()}
    cmap.tables = [t for t in cmap.tables if (t.platformID, t.platEncID) != (3, 0)] + [mac, symbol]
    cmap.tables.sort(key=lambda t: (t.platformID, t.platEncID))


def main():
    font = TTFont(SOURCE)
    to_truetype(font)
    add_byte_maps(font)
    for tag in list(font.keys()):
        if tag != 'GlyphOrder' and tag not in KEEP:
            del font[tag]
    font.save(sys.argv[1], reorderTables=True)
    check = TTFont(sys.argv[1])
    print(sorted(t for t in check.keys() if t != 'GlyphOrder'), len(check.getGlyphOrder()), 'glyphs')


if __name__ == '__main__':
    main()
