#!/usr/bin/python3
"""Writes the /Differences arrays that re-encode a WinAnsi TrueType font to another code page.

Run once by hand when the sources change; the output is committed:
    /usr/bin/python3 tools/generators/code_page_differences.py pdf/content/font

Sources: Python's code-page codecs for the characters; glyph names from the Adobe Glyph List
(resources/glyphlist/glyphlist.txt), the AGL for New Fonts name (fontTools.agl) when the
character has one, else the list's "afii" name, else its first name. Every name written is one
the glyph list resolves, so the ToUnicode CMap made from the array maps every code.
"""
import os
import sys

import fontTools.agl as agl

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Code page and the first code the array re-encodes.
CODE_PAGES = [(437, 128), (850, 128), (852, 128), (874, 161), (1250, 128), (1251, 128), (1252, 128),
              (1253, 128), (1254, 128), (1255, 128), (1256, 128), (1257, 128), (1258, 128)]


def glyph_names():
    names = {}
    with open(os.path.join(ROOT, 'resources/glyphlist/glyphlist.txt'), encoding='ascii') as f:
        for line in f:
            if line.startswith('#') or ';' not in line:
                continue
            name, values = line.strip().split(';')
            if ' ' in values:
                continue
            names.setdefault(int(values, 16), []).append(name)
    return names


def name_for(uv, names):
    candidates = names.get(uv, [])
    if not candidates:
        return None
    preferred = agl.UV2AGL.get(uv)
    if preferred in candidates:
        return preferred
    afii = [n for n in candidates if n.startswith('afii')]
    return afii[0] if afii else candidates[0]


def differences(cp, first, names):
    items, expected = [], None
    for code in range(first, 256):
        try:
            ch = bytes([code]).decode('cp%d' % cp)
        except UnicodeDecodeError:
            continue
        name = name_for(ord(ch), names)
        if name is None:
            continue
        if code != expected:
            items.append(str(code))
        items.append('/' + name)
        expected = code + 1
    return '[ ' + ' '.join(items) + ' ]'


def main(out_dir):
    names = glyph_names()
    lines = ['// Written by tools/generators/code_page_differences.py; do not edit.',
             '#include "pdf/content/font/code_page_differences.h"', '',
             'std::string_view CodePageDifferences(int codePage) {', '  switch (codePage) {']
    for cp, first in CODE_PAGES:
        text = differences(cp, first, names)
        chunks = [text[i:i + 90] for i in range(0, len(text), 90)]
        lines.append('    case %d:' % cp)
        lines.append('      return ' + '\n             '.join('"%s"' % c for c in chunks) + ';')
    lines += ['    default:', '      return {};', '  }', '}', '']
    with open(os.path.join(out_dir, 'code_page_differences.cpp'), 'w', encoding='ascii') as f:
        f.write('\n'.join(lines))


if __name__ == '__main__':
    main(sys.argv[1])
