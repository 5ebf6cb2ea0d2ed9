"""Font programs for the differential pages, written with fontTools: one glyph set drawn as
TrueType, bare CFF, CID-keyed CFF and Type 1 programs, so a page can show the same text in
every kind of embedded font.

The glyphs are plain shapes (squares, triangles, bars, a frame with a hole, a curved blob) so
that two rasterizers agree on them to the anti-aliased edge."""

import functools
import io


from fontTools.cffLib import FDArrayIndex, FDSelect, FontDict
from fontTools.fontBuilder import FontBuilder
from fontTools.misc import eexec
from fontTools.misc.psCharStrings import T1CharString
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

# code -> (glyph name, advance, contours); a contour is a list of points, counter-clockwise for
# an outer contour (the CFF and Type 1 direction; TrueType contours are written reversed).
# A point (x, y, "c") is the off-curve control of a quadratic segment.
GLYPHS = {
    32: ("space", 300, []),
    65: ("A", 800, [[(100, 0), (700, 0), (700, 600), (100, 600)]]),
    66: ("B", 700, [[(50, 0), (650, 0), (350, 650)]]),
    67: ("C", 400, [[(120, 0), (280, 0), (280, 700), (120, 700)]]),
    68: ("D", 700, [[(80, 0), (620, 0), (620, 180), (260, 180), (260, 650), (80, 650)]]),
    69: ("E", 800, [[(400, -100), (750, 300), (400, 700), (50, 300)]]),
    70: ("F", 800, [[(60, 0), (740, 0), (740, 680), (60, 680)], [(220, 160), (220, 520), (580, 520), (580, 160)]]),
    71: ("G", 900, [[(50, 0), (380, 0), (380, 300), (50, 300)], [(500, 350), (850, 350), (850, 700), (500, 700)]]),
    72: ("H", 800, [[(400, 0), (750, 0, "c"), (750, 350), (750, 700, "c"), (400, 700), (50, 700, "c"), (50, 350),
                    (50, 0, "c")]]),
}
CODES = sorted(GLYPHS)
NAMES = [GLYPHS[c][0] for c in CODES]


def _cubic(p0, c, p1):
    """The cubic with the same curve as the quadratic p0-c-p1."""
    return ((p0[0] + 2 * (c[0] - p0[0]) / 3, p0[1] + 2 * (c[1] - p0[1]) / 3),
            (p1[0] + 2 * (c[0] - p1[0]) / 3, p1[1] + 2 * (c[1] - p1[1]) / 3), p1)


def _segments(contour):
    """A contour as a start point and ("line", p) / ("curve", c1, c2, p) segments (cubic)."""
    start = contour[0]
    segs = []
    cur = start
    i = 1
    pts = contour[1:] + [start]
    while i <= len(contour):
        p = pts[i - 1]
        if len(p) == 3:
            end = pts[i]
            c1, c2, e = _cubic(cur, p, end)
            segs.append(("curve", c1, c2, e))
            cur = end
            i += 2
        else:
            segs.append(("line", p))
            cur = p
            i += 1
    return start, segs


def _t2(name, scale=1.0):
    adv, contours = _by_name(name)
    pen = T2CharStringPen(round(adv * scale), None)
    for contour in contours:
        start, segs = _segments(contour)
        pen.moveTo(_sc(start, scale))
        for s in segs:
            if s[0] == "line":
                pen.lineTo(_sc(s[1], scale))
            else:
                pen.curveTo(_sc(s[1], scale), _sc(s[2], scale), _sc(s[3], scale))
        pen.closePath()
    return pen.getCharString()


def _sc(p, scale):
    return (round(p[0] * scale), round(p[1] * scale))


def _by_name(name):
    for code in CODES:
        if GLYPHS[code][0] == name:
            return GLYPHS[code][1], GLYPHS[code][2]
    return 500, []


def widths():
    """Advance widths in text space thousandths for codes 32..72 (the PDF /Widths array)."""
    return [GLYPHS[c][1] if c in GLYPHS else 0 for c in range(32, 73)]


@functools.lru_cache(maxsize=None)
def truetype(cmaps="unicode"):
    """A TrueType font with a (3,1) cmap of the codes as Unicode ("unicode"); with "symbol" a
    (3,0) cmap of the codes alone and no glyph names, so that only the codes find the glyphs;
    with "mac" beside the (3,1) cmap a (1,0) cmap that gives each code the next code's glyph."""
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder([".notdef"] + NAMES)
    fb.setupCharacterMap({c: GLYPHS[c][0] for c in CODES})
    if cmaps != "unicode":
        tables = [] if cmaps == "symbol" else list(fb.font["cmap"].tables)
        sub = CmapSubtable.newSubtable(4 if cmaps == "symbol" else 0)
        sub.platformID, sub.platEncID = (3, 0) if cmaps == "symbol" else (1, 0)
        sub.language = 0
        if cmaps == "symbol":
            sub.cmap = {c: GLYPHS[c][0] for c in CODES}
        else:
            sub.cmap = {c: ".notdef" for c in range(256)}
            sub.cmap.update({c: GLYPHS[CODES[(i + 1) % len(CODES)]][0] for i, c in enumerate(CODES)})
        fb.font["cmap"].tables = tables + [sub]
    glyphs = {".notdef": TTGlyphPen(None).glyph()}
    for code in CODES:
        name, _, contours = GLYPHS[code]
        pen = TTGlyphPen(None)
        for contour in contours:
            # TrueType fills clockwise outer contours: walk each one backwards.
            rev = [contour[0]] + list(reversed(contour[1:]))
            pen.moveTo(rev[0][:2])
            i = 1
            while i < len(rev):
                if len(rev[i]) == 3:
                    nxt = rev[i + 1] if i + 1 < len(rev) else rev[0]
                    pen.qCurveTo(rev[i][:2], nxt[:2])
                    i += 2
                else:
                    pen.lineTo(rev[i][:2])
                    i += 1
            pen.closePath()
        glyphs[name] = pen.glyph()
    fb.setupGlyf(glyphs)
    # The left side bearing is the glyph's xMin, as a TrueType font must have it.
    glyf = fb.font["glyf"]
    for name in glyf.keys():
        glyf[name].recalcBounds(glyf)
    return _finish(fb, "DiffTT", lambda n: getattr(glyf[n], "xMin", 0), names=cmaps != "symbol")


def _finish(fb, family, bearing, names=True):
    """The metrics, names and the other tables a whole font needs; its bytes."""
    fb.setupHorizontalMetrics({n: (_by_name(n)[0] if n != ".notdef" else 500, bearing(n)) for n in [".notdef"] + NAMES})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": family, "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=800, usWinAscent=800, usWinDescent=200)
    fb.setupPost(keepGlyphNames=names)
    buf = io.BytesIO()
    fb.save(buf)
    return buf.getvalue()


def _cff_builder(names_map):
    fb = FontBuilder(1000, isTTF=False)
    order = [".notdef"] + [names_map[n] for n in NAMES]
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({})
    strings = {".notdef": _t2("")}
    for n in NAMES:
        strings[names_map[n]] = _t2(n)
    fb.setupCFF("DiffCFF", {}, strings, {})
    return fb


@functools.lru_cache(maxsize=None)
def bare_cff():
    """A name-keyed CFF program whose glyph names are the standard names of the codes."""
    fb = _cff_builder({n: n for n in NAMES})
    return fb.font["CFF "].compile(fb.font)


@functools.lru_cache(maxsize=None)
def opentype_cff():
    """An OpenType font with CFF outlines and a (3,1) cmap of the codes."""
    fb = _cff_builder({n: n for n in NAMES})
    fb.setupCharacterMap({c: GLYPHS[c][0] for c in CODES})
    return _finish(fb, "DiffOTF", lambda n: 0)


def cid_of(code):
    """The CID the CID-keyed programs give the glyph of a code: spaced out, not the glyph index."""
    return 0 if code == 0 else 2 * CODES.index(code) + 3


@functools.lru_cache(maxsize=None)
def cid_cff(font_dict_matrix=False):
    """A CID-keyed CFF program (Adobe-Identity-0) with one Font DICT; glyph of code c is CID
    cid_of(c). With font_dict_matrix the Top DICT's FontMatrix is the identity and the Font
    DICT carries the 1/1000 scale."""
    fb = _cff_builder({n: "cid%05d" % cid_of(c) for c, n in zip(CODES, NAMES)})
    cff = fb.font["CFF "].cff
    top = cff.topDictIndex[0]
    top.ROS = ("Adobe", "Identity", 0)
    top.CIDCount = cid_of(CODES[-1]) + 1
    fd = FontDict()
    private = top.Private
    del top.Private
    fd.Private = private
    if font_dict_matrix:
        top.FontMatrix = [1, 0, 0, 1, 0, 0]
        fd.FontMatrix = [0.001, 0, 0, 0.001, 0, 0]
    fda = FDArrayIndex()
    fda.append(fd)
    top.FDArray = fda
    top.FDSelect = FDSelect()
    top.FDSelect.gidArray = [0] * (len(NAMES) + 1)
    top.FDSelect.format = 3
    return fb.font["CFF "].compile(fb.font)


def _t1_charstring(name, scale=1):
    adv, contours = _by_name(name)
    adv = adv * scale
    contours = [[tuple(v * scale if isinstance(v, (int, float)) else v for v in pt) for pt in c] for c in contours]
    prog = [0, adv, "hsbw"]
    cur = (0, 0)
    for contour in contours:
        start, segs = _segments(contour)
        prog += [start[0] - cur[0], start[1] - cur[1], "rmoveto"]
        cur = start
        for s in segs:
            if s[0] == "line":
                prog += [s[1][0] - cur[0], s[1][1] - cur[1], "rlineto"]
                cur = s[1]
            else:
                pts = [(round(p[0]), round(p[1])) for p in s[1:]]
                prog += [pts[0][0] - cur[0], pts[0][1] - cur[1], pts[1][0] - pts[0][0], pts[1][1] - pts[0][1],
                         pts[2][0] - pts[1][0], pts[2][1] - pts[1][1], "rrcurveto"]
                cur = pts[2]
        prog += ["closepath"]
    prog += ["endchar"]
    cs = T1CharString(program=prog)
    cs.compile()
    plain = b"\0\0\0\0" + cs.bytecode
    return eexec.encrypt(plain, 4330)[0]


@functools.lru_cache(maxsize=None)
def type1(scale=1):
    """A Type 1 program (clear text, eexec part, trailer) and the three lengths. Its built-in
    encoding maps the codes to the glyphs. With a scale its glyphs are drawn that much larger
    in a FontMatrix that much smaller, so they show at the same size."""
    matrix = "%g 0 0 %g 0 0" % (0.001 / scale, 0.001 / scale)
    enc = "".join("dup %d /%s put\n" % (c, GLYPHS[c][0]) for c in CODES)
    clear = ("%%!PS-AdobeFont-1.0: DiffT1 001.000\n"
             "12 dict begin\n/FontInfo 2 dict dup begin /FullName (DiffT1) readonly def end readonly def\n"
             "/FontName /DiffT1 def\n/PaintType 0 def\n/FontType 1 def\n"
             "/FontMatrix [%s] readonly def\n"
             "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\n%sreadonly def\n"
             "/FontBBox {0 -100 900 800} readonly def\ncurrentdict end\ncurrentfile eexec\n") % (matrix, enc)
    glyphs = [(".notdef", _t1_charstring(""))] + [(n, _t1_charstring(n, scale)) for n in NAMES]
    priv = (b"dup /Private 8 dict dup begin\n/RD {string currentfile exch readstring pop} executeonly def\n"
            b"/ND {noaccess def} executeonly def\n/NP {noaccess put} executeonly def\n"
            b"/BlueValues [] ND\n/MinFeature {16 16} ND\n/password 5839 def\n/lenIV 4 def\n"
            b"/Subrs 0 array ND\n2 index /CharStrings %d dict dup begin\n" % len(glyphs))
    for name, data in glyphs:
        priv += b"/%s %d RD " % (name.encode(), len(data)) + data + b" ND\n"
    priv += b"end\nend\nreadonly put\nnoaccess put\ndup /FontName get exch definefont pop\nmark currentfile closefile\n"
    binary = eexec.encrypt(b"\0\0\0\0" + priv, 55665)[0]
    trailer = ("0" * 64 + "\n") * 8 + "cleartomark\n"
    clear_b = clear.encode()
    return clear_b + binary + trailer.encode(), (len(clear_b), len(binary), len(trailer))


if __name__ == "__main__":
    print(len(truetype()), len(bare_cff()), len(cid_cff()), len(type1()[0]))

