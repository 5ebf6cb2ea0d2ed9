#!/usr/bin/python3
"""Writes the built-in glyph and width tables of the encodings module.

Run once by hand when the sources change; the output is committed:
    /usr/bin/python3 tools/generators/encoding_tables.py pdf/core/encodings

Sources (Debian packages):
  - glyph names and Unicode values: the Adobe Glyph List 2.0 as shipped by python3-fonttools
    (fontTools.agl), StandardEncoding and the Mac OS Roman glyph names (fontTools.encodings);
  - WinAnsiEncoding: Python's cp1252 codec; MacRomanEncoding: Python's mac_roman codec;
    PDFDocEncoding: the published table (written out below);
  - MacExpertEncoding: ghostscript's encoding vector (libgs10-common, Resource/Init/gs_mex_e.ps),
    passed as the second argument;
  - widths: the AFM files of fonts-urw-base35, which are metric-compatible with the standard 14
    fonts (Nimbus Mono PS for Courier, Nimbus Sans for Helvetica, Nimbus Roman for Times,
    Standard Symbols PS for Symbol, D050000L for ZapfDingbats).
"""
import os
import re
import sys

import fontTools.agl as agl
from fontTools.encodings.MacRoman import MacRoman
from fontTools.encodings.StandardEncoding import StandardEncoding

AFM_DIR = '/usr/share/fonts/type1/urw-base35'
WIDTH_FONTS = [  # standard font numbers 1..12
    'NimbusMonoPS-Regular', 'NimbusMonoPS-Bold', 'NimbusMonoPS-BoldItalic', 'NimbusMonoPS-Italic',
    'NimbusSans-Regular', 'NimbusSans-Bold', 'NimbusSans-BoldItalic', 'NimbusSans-Italic',
    'NimbusRoman-Regular', 'NimbusRoman-Bold', 'NimbusRoman-Italic', 'NimbusRoman-BoldItalic',
]

# The Mac OS Roman characters that MacRomanEncoding leaves out (the Symbol font has them), and
# the no-break space, which the encoding names "space" at 202 instead.
MAC_OMITTED = {'notequal', 'infinity', 'lessequal', 'greaterequal', 'partialdiff', 'summation',
               'product', 'pi', 'integral', 'Omega', 'radical', 'approxequal', 'Delta', 'lozenge',
               'apple', 'nbspace'}

PDFDOC_ACCENTS = ['breve', 'caron', 'circumflex', 'dotaccent', 'hungarumlaut', 'ogonek', 'ring', 'tilde']
PDFDOC_HIGH = [0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
               0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
               0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E]

# Names of the Latin characters that neither StandardEncoding nor Mac OS Roman holds.
EXTRA_NAMES = {0x20AC: 'Euro', 0x0160: 'Scaron', 0x0161: 'scaron', 0x017D: 'Zcaron', 0x017E: 'zcaron',
               0x00A6: 'brokenbar', 0x00D0: 'Eth', 0x00F0: 'eth', 0x00DE: 'Thorn', 0x00FE: 'thorn',
               0x00DD: 'Yacute', 0x00FD: 'yacute', 0x00D7: 'multiply', 0x00B9: 'onesuperior',
               0x00B2: 'twosuperior', 0x00B3: 'threesuperior', 0x00BC: 'onequarter', 0x00BD: 'onehalf',
               0x00BE: 'threequarters', 0x2212: 'minus'}

# Symbol glyphs whose Unicode value is not the glyph list's: the Greek letters of the Symbol
# font (not the ohm and increment signs), the bracket pieces of Unicode 3.2, and private-use
# values for the pieces and serif variants Unicode has no character for.
SYMBOL_UNICODE = {
    'Delta': 0x0394, 'Omega': 0x03A9, 'mu': 0x03BC,
    'radicalex': 0xF8E5, 'arrowvertex': 0xF8E6, 'arrowhorizex': 0xF8E7,
    'registerserif': 0xF6DA, 'copyrightserif': 0xF6D9, 'trademarkserif': 0xF6DB,
    'registersans': 0xF8E8, 'copyrightsans': 0xF8E9, 'trademarksans': 0xF8EA,
    'parenlefttp': 0x239B, 'parenleftex': 0x239C, 'parenleftbt': 0x239D,
    'bracketlefttp': 0x23A1, 'bracketleftex': 0x23A2, 'bracketleftbt': 0x23A3,
    'bracelefttp': 0x23A7, 'braceleftmid': 0x23A8, 'braceleftbt': 0x23A9, 'braceex': 0x23AA,
    'integraltp': 0x2320, 'integralex': 0x23AE, 'integralbt': 0x2321,
    'parenrighttp': 0x239E, 'parenrightex': 0x239F, 'parenrightbt': 0x23A0,
    'bracketrighttp': 0x23A4, 'bracketrightex': 0x23A5, 'bracketrightbt': 0x23A6,
    'bracerighttp': 0x23AB, 'bracerightmid': 0x23AC, 'bracerightbt': 0x23AD,
}


def read_glyph_list():
    """Name to the first Unicode value of the glyph list's entry."""
    values = {}
    for line in agl._aglText.splitlines():
        if line and not line.startswith('#'):
            name, codes = line.split(';')
            values[name] = int(codes.split()[0], 16)
    return values


GLYPH_LIST = read_glyph_list()


def agl_value(name):
    return GLYPH_LIST.get(name, 0)


def read_afm(name):
    """(code, width, glyph name) of every character of an AFM file."""
    out = []
    with open(os.path.join(AFM_DIR, name + '.afm'), encoding='latin-1') as f:
        for line in f:
            m = re.match(r'C (-?\d+) ; WX (\d+) ; N (\S+) ;', line)
            if m:
                out.append((int(m.group(1)), int(m.group(2)), m.group(3)))
    return out


def pdfdoc_table():
    t = list(range(256))
    t[22] = 0x17
    for i, u in enumerate([0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC]):
        t[24 + i] = u
    for i, u in enumerate(PDFDOC_HIGH):
        t[128 + i] = u
    t[160] = 0x20AC
    t[127] = t[159] = t[173] = 0xFFFD
    return t


def encodings():
    """Glyph name per code of the four Latin encodings."""
    std = {c: n for c, n in enumerate(StandardEncoding) if n != '.notdef'}
    mac = {c: n for c, n in enumerate(MacRoman) if (32 <= c <= 126 or c >= 128) and n not in MAC_OMITTED}
    by_unicode = {}
    for n in list(std.values()) + list(mac.values()):
        by_unicode.setdefault(agl_value(n), n)
    by_unicode[0x00B5] = 'mu'
    by_unicode.update(EXTRA_NAMES)
    ascii_names = dict(std)
    ascii_names[0x27] = 'quotesingle'
    ascii_names[0x60] = 'grave'
    win = {c: ascii_names[c] for c in range(32, 127)}
    for c in range(128, 256):
        if c in (0xA0, 0xAD):  # no-break space and soft hyphen: "space" and "hyphen" by rule
            continue
        try:
            u = ord(bytes([c]).decode('cp1252'))
        except UnicodeDecodeError:
            continue
        win[c] = by_unicode[u]
    pdf = {24 + i: n for i, n in enumerate(PDFDOC_ACCENTS)}
    pdf.update({c: ascii_names[c] for c in range(32, 127)})
    doc = pdfdoc_table()
    for c in range(128, 256):
        if doc[c] != 0xFFFD:
            pdf[c] = by_unicode[doc[c]]
    return std, mac, win, pdf


def latin_table():
    std, mac, win, pdf = encodings()
    cols = [std, mac, win, pdf]
    names = sorted(set().union(*[set(c.values()) for c in cols]))
    rev = [{n: c for c, n in col.items()} for col in cols]
    doc = pdfdoc_table()
    rows = []
    for n in names:
        codes = [r.get(n, -1) for r in rev]
        if codes[2] >= 0:
            u = ord(bytes([codes[2]]).decode('cp1252'))
        elif codes[3] >= 0:
            u = doc[codes[3]]
        elif codes[1] >= 0 and n != 'currency':
            u = ord(bytes([codes[1]]).decode('mac_roman'))
        else:
            u = agl_value(n)
        # Every column must agree with the value chosen.
        if codes[1] >= 0 and n != 'currency':
            assert ord(bytes([codes[1]]).decode('mac_roman')) == u, n
        if codes[3] >= 0:
            assert doc[codes[3]] == u, n
        assert u, n
        rows.append((n, u, codes))
    return rows


def macexpert(path):
    text = open(path, encoding='latin-1').read()
    body = text[text.index('/MacExpertEncoding') + len('/MacExpertEncoding'):text.index('packedarray')]
    names = re.findall(r'/(\S+)', body)
    assert len(names) == 256, len(names)
    return sorted((n, c) for c, n in enumerate(names) if n != '.notdef')


def cstr(s):
    return '"' + s + '"'


def main():
    out_dir = sys.argv[1]
    mex_path = sys.argv[2] if len(sys.argv) > 2 else \
        '/usr/share/ghostscript/10.00.0/Resource/Init/gs_mex_e.ps'
    rows = latin_table()
    widths = []
    for font in WIDTH_FONTS:
        w = {n: wx for _, wx, n in read_afm(font)}
        widths.append([w[n] for n, _, _ in rows])
    symbol = sorted((n, c, wx) for c, wx, n in read_afm('StandardSymbolsPS') if 0 <= c and n != 'apple')
    sym_rows = []
    for n, c, wx in symbol:
        u = SYMBOL_UNICODE.get(n) or agl_value(n)
        assert u, n
        sym_rows.append((n, c, u, wx))
    dingbats = {c: wx for c, wx, _ in read_afm('D050000L') if c >= 0}
    zapf = [dingbats.get(c, 0) for c in range(32, 255)]
    mex = macexpert(mex_path)

    lines = ['// Generated by tools/generators/encoding_tables.py. Do not edit.',
             '#include "pdf/core/encodings/glyph_tables.h"', '']
    lines.append('const std::array<TStandardGlyph, kStandardGlyphCount> StandardGlyphTable = {{')
    for n, u, codes in rows:
        lines.append('    {%s, 0x%04X, %d, %d, %d, %d},' % (cstr(n), u, *codes))
    lines.append('}};')
    lines.append('')
    lines.append('const std::array<std::array<uint16_t, kStandardGlyphCount>, 12> StandardWidthTable = {{')
    for w in widths:
        lines.append('    {{')
        for i in range(0, len(w), 16):
            lines.append('        ' + ', '.join(str(x) for x in w[i:i + 16]) + ',')
        lines.append('    }},')
    lines.append('}};')
    lines.append('')
    lines.append('const std::array<TSymbolGlyph, kSymbolGlyphCount> SymbolGlyphTable = {{')
    for n, c, u, wx in sym_rows:
        lines.append('    {%s, %d, 0x%04X, %d},' % (cstr(n), c, u, wx))
    lines.append('}};')
    lines.append('')
    lines.append('const std::array<TMacExpertGlyph, kMacExpertGlyphCount> MacExpertGlyphTable = {{')
    for n, c in mex:
        lines.append('    {%s, %d},' % (cstr(n), c))
    lines.append('}};')
    lines.append('')
    lines.append('const std::array<uint16_t, kZapfDingbatsWidthCount> ZapfDingbatsWidthTable = {')
    for i in range(0, len(zapf), 16):
        lines.append('    ' + ', '.join(str(x) for x in zapf[i:i + 16]) + ',')
    lines.append('};')
    with open(os.path.join(out_dir, 'glyph_tables_data.cpp'), 'w') as f:
        f.write('\n'.join(lines) + '\n')
    print('latin', len(rows), 'symbol', len(sym_rows), 'macexpert', len(mex), 'zapf', len(zapf))


if __name__ == '__main__':
    main()
