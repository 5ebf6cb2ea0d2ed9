#!/usr/bin/python3
"""Writes resources/fonts/heiseikakugo-w5.widths, the built-in widths of the Japanese gothic
that PDF files name "HeiseiKakuGo-W5" without embedding it.

Run once by hand when the source changes; the output is committed:
    /usr/bin/python3 tools/generators/heisei_widths.py resources/fonts/heiseikakugo-w5.widths

Format: six records of 513 bytes, each the high byte of a CID followed by 256 big-endian 16-bit
widths in thousandths of the em for the CIDs high * 256 + 0 ... high * 256 + 255 (0 where the
face gives none).

Source: IPAPGothic from fonts-ipafont-gothic (/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf),
a proportional gothic of the Adobe-Japan1 collection: the face names each of its glyphs by its
Adobe-Japan1 CID ("aj" + CID), so the advance of glyph ajN is the width of CID N (scaled from
the face's units per em to 1000 and rounded). The names are checked against the collection's
CID mapping in poppler-data (Adobe-Japan1-UCS2): the character that the face's character map
sends to glyph ajN must be the character of CID N, for all but compatibility characters.

Which six pages of 256 CIDs: the records hold the pages where the face gives widths other than
the full width (1000). First those inside the character set of the HeiseiKakuGo-W5 face, the
collection up to Supplement 2 (the range of poppler-data's Adobe-Japan1-2 CMap), then, while
records remain, the pages beyond it ranked by how many such widths UniJIS-UCS2-H reaches.
A page that does not get a record is answered by the font's DW; the script lists those.
"""
import os
import re
import struct
import sys

from fontTools.ttLib import TTFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from text_resources import ucs2_values  # noqa: E402

FACE = '/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf'
CMAPS = '/usr/share/poppler/cMap/Adobe-Japan1'
RECORDS = 6
FULL_WIDTH = 1000


def cid_ranges(name):
    """(first code, last code, first CID) of a CID-keyed CMap's cidrange and cidchar blocks."""
    text = open(os.path.join(CMAPS, name), encoding='latin-1').read()
    ranges = []
    for block in re.findall(r'begincidrange(.*?)endcidrange', text, re.S):
        for lo, hi, cid in re.findall(r'<([0-9a-fA-F]+)>\s*<([0-9a-fA-F]+)>\s*(\d+)', block):
            ranges.append((int(lo, 16), int(hi, 16), int(cid)))
    for block in re.findall(r'begincidchar(.*?)endcidchar', text, re.S):
        for code, cid in re.findall(r'<([0-9a-fA-F]+)>\s*(\d+)', block):
            ranges.append((int(code, 16), int(code, 16), int(cid)))
    return ranges


def face_widths():
    font = TTFont(FACE)
    scale = 1000.0 / font['head'].unitsPerEm
    metrics = font['hmtx'].metrics
    widths = {}
    for name in font.getGlyphOrder():
        m = re.fullmatch(r'aj(\d+)', name)
        if m:
            widths[int(m.group(1))] = int(round(metrics[name][0] * scale))
    return font, widths


def check_cid_names(font):
    """The glyph names against the collection's own CID-to-Unicode mapping."""
    cid_to_unicode = ucs2_values(os.path.join(CMAPS, 'Adobe-Japan1-UCS2'))
    agree = differ = 0
    for code, glyph in font.getBestCmap().items():
        m = re.fullmatch(r'aj(\d+)', glyph)
        # The UCS-2 mapping names no character beyond the Basic Multilingual Plane.
        if m is None or code > 0xFFFF or int(m.group(1)) not in cid_to_unicode:
            continue
        if cid_to_unicode[int(m.group(1))] == code:
            agree += 1
        else:
            differ += 1  # compatibility characters (yen sign and backslash, CJK compatibility ideographs)
    print('characters of the face whose glyph name is a CID of that character:', agree, 'others:', differ)
    if differ > agree // 50:
        sys.exit('the face does not name its glyphs by Adobe-Japan1 CIDs')


def choose_pages(widths):
    collection_end = max(cid + hi - lo for lo, hi, cid in cid_ranges('Adobe-Japan1-2'))
    reached = set()
    for lo, hi, cid in cid_ranges('UniJIS-UCS2-H'):
        reached.update(range(cid, cid + hi - lo + 1))
    narrow = [cid for cid, w in widths.items() if w != FULL_WIDTH]
    inside = sorted({cid >> 8 for cid in narrow if cid <= collection_end})
    beyond = {}
    for cid in narrow:
        if cid > collection_end and cid in reached:
            beyond[cid >> 8] = beyond.get(cid >> 8, 0) + 1
    ranked = sorted(beyond, key=lambda page: (-beyond[page], page))
    pages = (inside + ranked)[:RECORDS]
    left = sorted({cid >> 8 for cid in narrow} - set(pages))
    print('collection up to Supplement 2 ends at CID', collection_end)
    print('pages with records:', pages)
    print('pages with other widths left to DW:', left,
          '(%d CIDs)' % sum(1 for cid in narrow if cid >> 8 in left))
    if len(pages) < RECORDS:
        sys.exit('fewer pages than records')
    return pages


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: heisei_widths.py <output file>')
    font, widths = face_widths()
    check_cid_names(font)
    out = bytearray()
    for page in choose_pages(widths):
        out.append(page)
        for low in range(256):
            width = widths.get(page * 256 + low, 0)
            if not 0 <= width <= 0xFFFF:
                sys.exit('width %d of CID %d does not fit 16 bits' % (width, page * 256 + low))
            out += struct.pack('>H', width)
    assert len(out) == RECORDS * 513
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
