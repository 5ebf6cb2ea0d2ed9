#!/usr/bin/python3
"""Writes pdf/core/annots/stamp_appearances_data.cpp, the fourteen standard stamp pictures.

Run once by hand when the drawing changes; the output is committed:
    /usr/bin/python3 tools/generators/stamp_appearances.py pdf/core/annots/stamp_appearances_data.cpp

Each stamp is a content stream drawn in a box of 120 x 32 units: a rounded frame and the
stamp's lettering as outlines (Nimbus Sans Bold from fonts-urw-base35, so no font is needed
at render time), first in grey as a shadow, then in the stamp's colour; two-line stamps get a
bar between their lines. Paths are filled even-odd, lines end in CR LF, and the stream is
stored as the upper-case hexadecimal text of its zlib compression.
"""
import sys
import zlib

from fontTools.pens.basePen import BasePen
from fontTools.ttLib import TTFont

FONT = '/usr/share/fonts/opentype/urw-base35/NimbusSans-Bold.otf'
GREEN, BLUE, RED = '0.25 0.95 0.00', '0.00 0.50 1.00', '1.00 0.00 0.00'
STAMPS = [
    ('Approved', GREEN, ['APPROVED']),
    ('Experimental', BLUE, ['EXPERIMENTAL']),
    ('NotApproved', RED, ['NOT', 'APPROVED']),
    ('AsIs', RED, ['AS IS']),
    ('Expired', RED, ['EXPIRED']),
    ('NotForPublicRelease', RED, ['NOT FOR', 'PUBLIC RELEASE']),
    ('Confidential', RED, ['CONFIDENTIAL']),
    ('Final', RED, ['FINAL']),
    ('Sold', BLUE, ['SOLD']),
    ('Departmental', BLUE, ['DEPARTMENTAL']),
    ('ForComment', GREEN, ['FOR COMMENT']),
    ('TopSecret', RED, ['TOP SECRET']),
    ('Draft', RED, ['DRAFT']),
    ('ForPublicRelease', GREEN, ['FOR PUBLIC', 'RELEASE']),
]
SHADOW = (0.8, -0.8)  # the grey copy lies right of and below the coloured one


def num(v):
    return ('%.2f' % v).rstrip('0').rstrip('.') if abs(v) >= 0.005 else '0'


class ContentPen(BasePen):
    """Outline operators of one glyph, placed by a scale and an offset."""

    def __init__(self, glyph_set, out, scale, dx, dy):
        super().__init__(glyph_set)
        self.out, self.scale, self.dx, self.dy = out, scale, dx, dy

    def pt(self, p):
        return num(p[0] * self.scale + self.dx) + ' ' + num(p[1] * self.scale + self.dy)

    def _moveTo(self, p):
        self.out.append(self.pt(p) + ' m')

    def _lineTo(self, p):
        self.out.append(self.pt(p) + ' l')

    def _curveToOne(self, p1, p2, p3):
        self.out.append(' '.join(self.pt(p) for p in (p1, p2, p3)) + ' c')

    def _closePath(self):
        self.out.append('h')


def rounded_rect(out, x0, y0, x1, y1, r, dx, dy):
    k = 0.5523 * r  # a quarter circle as one cubic

    def p(x, y):
        return num(x + dx) + ' ' + num(y + dy)
    out.append(p(x0 + r, y0) + ' m')
    out.append(p(x1 - r, y0) + ' l')
    out.append(p(x1 - r + k, y0) + ' ' + p(x1, y0 + r - k) + ' ' + p(x1, y0 + r) + ' c')
    out.append(p(x1, y1 - r) + ' l')
    out.append(p(x1, y1 - r + k) + ' ' + p(x1 - r + k, y1) + ' ' + p(x1 - r, y1) + ' c')
    out.append(p(x0 + r, y1) + ' l')
    out.append(p(x0 + r - k, y1) + ' ' + p(x0, y1 - r + k) + ' ' + p(x0, y1 - r) + ' c')
    out.append(p(x0, y0 + r) + ' l')
    out.append(p(x0, y0 + r - k) + ' ' + p(x0 + r - k, y0) + ' ' + p(x0 + r, y0) + ' c')
    out.append('h')


def text_width(font, text):
    cmap, hmtx = font.getBestCmap(), font['hmtx']
    return sum(hmtx[cmap[ord(ch)]][0] for ch in text)


def lettering(font, out, lines, dx, dy):
    glyph_set, cmap, hmtx = font.getGlyphSet(), font.getBestCmap(), font['hmtx']
    cap = 718.0  # cap height of the face in font units
    gap = 3.0
    height = 16.0 if len(lines) == 1 else 8.5
    scale = height / cap
    widest = max(text_width(font, t) for t in lines) * scale
    if widest > 104:
        scale *= 104 / widest
        height = cap * scale
    total = height * len(lines) + gap * 2 * (len(lines) - 1)
    base = 16 + total / 2 - height
    for index, text in enumerate(lines):
        x = 60 - text_width(font, text) * scale / 2
        y = base - index * (height + 2 * gap)
        for ch in text:
            name = cmap[ord(ch)]
            glyph_set[name].draw(ContentPen(glyph_set, out, scale, x + dx, y + dy))
            x += hmtx[name][0] * scale
        if index + 1 < len(lines):
            bar = y - gap - 0.6
            out.append('%s %s m %s %s l %s %s l %s %s l h' % (
                num(12 + dx), num(bar + dy), num(108 + dx), num(bar + dy),
                num(108 + dx), num(bar + 1.2 + dy), num(12 + dx), num(bar + 1.2 + dy)))


def layer(font, lines, colour, dx, dy):
    out = [colour + ' rg']
    rounded_rect(out, 1, 1, 118.5, 30.5, 5, dx, dy)
    rounded_rect(out, 3, 3, 116.5, 28.5, 3.5, dx, dy)
    lettering(font, out, lines, dx, dy)
    out.append('f*')
    return out


def stamp(font, colour, lines):
    out = ['1.00000 0.00000 0.00000 1.00000 0.0000 0.0000 cm']
    out += layer(font, lines, '0.80 0.80 0.80', *SHADOW)
    out += layer(font, lines, colour, 0, 0)
    return ('\r\n'.join(out) + '\r\n').encode('ascii')


def main(path):
    font = TTFont(FONT)
    rows = []
    for name, colour, lines in STAMPS:
        text = zlib.compress(stamp(font, colour, lines), 9).hex().upper()
        chunks = '\n'.join('     "%s"' % text[i:i + 96] for i in range(0, len(text), 96))
        rows.append('    {"%s",\n%s},' % (name, chunks))
    with open(path, 'w') as f:
        f.write('// Generated by tools/generators/stamp_appearances.py; do not edit.\n')
        f.write('#include "pdf/core/annots/stamp_appearances.h"\n\n')
        f.write('const std::array<TStampEntry, kStampCount> kStampTable = {{\n')
        f.write('\n'.join(rows) + '\n}};\n')


if __name__ == '__main__':
    main(sys.argv[1])
