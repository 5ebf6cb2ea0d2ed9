#!/usr/bin/python3
# Dumps the tables of an sfnt font as fontTools reads them, one fact per line, for the TrueType
# parser tests to compare with. Usage: sfnt_dump.py FONT [GLYPH_STEP]
import sys
from fontTools.ttLib import TTFont

path = sys.argv[1]
step = int(sys.argv[2]) if len(sys.argv) > 2 else 1
font = TTFont(path, lazy=False)
out = []
reader = font.reader
out.append("dir %d %d %d %d" % (reader.numTables, reader.searchRange, reader.entrySelector, reader.rangeShift))
for tag, entry in reader.tables.items():
    out.append("table %s %d %d %d" % (tag.replace(" ", "_"), entry.checkSum, entry.offset, entry.length))

order = font.getGlyphOrder()
gid = {name: i for i, name in enumerate(order)}

if "head" in font:
    h = font["head"]
    out.append("head %d %d %d %d %d %d %d %d %d %d %d %d %d" % (
        round(h.tableVersion * 65536), round(h.fontRevision * 65536), h.flags, h.unitsPerEm,
        h.created & 0xFFFFFFFF, h.modified & 0xFFFFFFFF, h.xMin, h.yMin, h.xMax, h.yMax, h.macStyle,
        h.indexToLocFormat, h.glyphDataFormat))
if "maxp" in font:
    out.append("maxp %d" % font["maxp"].numGlyphs)
if "loca" in font:
    out.append("loca " + " ".join(str(v) for v in font["loca"].locations))
if "post" in font:
    p = font["post"]
    out.append("post %d %d %d %d %d" % (round(p.formatType * 65536), round(p.italicAngle * 65536),
                                         p.underlinePosition, p.underlineThickness, p.isFixedPitch))
    if p.formatType in (1.0, 2.0, 2.5):
        for i, name in enumerate(order):
            out.append("name %d %s" % (i, name))
if "cmap" in font:
    for index, sub in enumerate(font["cmap"].tables):
        out.append("cmap %d %d %d %d" % (index, sub.platformID, sub.platEncID, sub.format))
        if sub.format in (0, 4, 6):
            for code, name in sorted(sub.cmap.items()):
                out.append("map %d %d %d" % (index, code, gid[name]))
if "hhea" in font:
    h = font["hhea"]
    out.append("hhea %d %d %d %d %d %d %d %d %d %d %d" % (
        h.ascent, h.descent, h.lineGap, h.advanceWidthMax, h.minLeftSideBearing, h.minRightSideBearing,
        h.xMaxExtent, h.caretSlopeRise, h.caretSlopeRun, h.caretOffset, h.numberOfHMetrics))
if "hmtx" in font:
    n = font["hhea"].numberOfHMetrics
    for i, name in enumerate(order[:n]):
        out.append("adv %d %d" % (i, font["hmtx"].metrics[name][0]))
if "glyf" in font:
    glyf = font["glyf"]
    for i in range(0, len(order), step):
        g = glyf[order[i]]
        if g.numberOfContours == 0:
            continue
        out.append("glyph %d %d %d %d %d %d" % (i, max(g.numberOfContours, 0), g.xMin, g.yMin, g.xMax, g.yMax))
        if g.isComposite():
            for c in g.components:
                t = getattr(c, "transform", [[1, 0], [0, 1]])
                if hasattr(c, "firstPt"):
                    where = "pt %d %d" % (c.firstPt, c.secondPt)
                else:
                    where = "xy %d %d" % (c.x, c.y)
                out.append("comp %d %d %s %.6f %.6f %.6f %.6f" % (i, gid[c.glyphName], where, t[0][0], t[0][1],
                                                                 t[1][0], t[1][1]))
        else:
            out.append("end %d %s" % (i, " ".join(str(e) for e in g.endPtsOfContours)))
            out.append("pts %d %s" % (i, " ".join("%d,%d,%d" % (x, y, f & 1)
                                                    for (x, y), f in zip(g.coordinates, g.flags))))
sys.stdout.write("\n".join(out) + "\n")
