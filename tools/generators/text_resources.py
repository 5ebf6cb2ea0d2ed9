#!/usr/bin/python3
"""Writes the CMap, CID-to-Unicode and glyph-list resources under resources/.

Run once by hand when the sources change; the output is committed and resources.txt lists it:
    /usr/bin/python3 tools/generators/text_resources.py resources

Sources (Debian packages):
  - the predefined CMaps: Adobe's CMap resources in poppler-data (/usr/share/poppler/cMap);
  - the CID-to-Unicode tables: Adobe's Adobe-<collection>-UCS2 CMaps of the same folder (CID to
    UCS-2), written as one 16-bit little-endian value per CID, 0 where the collection has none
    and U+FFFD for CID 0;
  - the glyph list: the Adobe Glyph List 2.0 text shipped by python3-fonttools (fontTools.agl).
"""
import glob
import os
import re
import struct
import sys

import fontTools.agl as agl

POPPLER_CMAPS = '/usr/share/poppler/cMap'

PREDEFINED = """78-EUC-H 78-EUC-V 78-H 78-RKSJ-H 78-RKSJ-V 78-V 78ms-RKSJ-H 78ms-RKSJ-V 83pv-RKSJ-H
90ms-RKSJ-H 90ms-RKSJ-V 90msp-RKSJ-H 90msp-RKSJ-V 90pv-RKSJ-H 90pv-RKSJ-V Add-H Add-RKSJ-H
Add-RKSJ-V Add-V Adobe-CNS1-0 Adobe-CNS1-1 Adobe-CNS1-2 Adobe-CNS1-3 Adobe-CNS1-4 Adobe-CNS1-5
Adobe-CNS1-6 Adobe-GB1-0 Adobe-GB1-1 Adobe-GB1-2 Adobe-GB1-3 Adobe-GB1-4 Adobe-GB1-5
Adobe-Japan1-0 Adobe-Japan1-1 Adobe-Japan1-2 Adobe-Japan1-3 Adobe-Japan1-4 Adobe-Japan1-5
Adobe-Japan1-6 Adobe-Korea1-0 Adobe-Korea1-1 Adobe-Korea1-2 B5-H B5-V B5pc-H B5pc-V CNS-EUC-H
CNS-EUC-V CNS1-H CNS1-V CNS2-H CNS2-V ETen-B5-H ETen-B5-V ETenms-B5-H ETenms-B5-V ETHK-B5-H
ETHK-B5-V EUC-H EUC-V Ext-H Ext-RKSJ-H Ext-RKSJ-V Ext-V GB-EUC-H GB-EUC-V GB-H GB-V GBK-EUC-H
GBK-EUC-V GBK2K-H GBK2K-V GBKp-EUC-H GBKp-EUC-V GBpc-EUC-H GBpc-EUC-V GBT-EUC-H GBT-EUC-V GBT-H
GBT-V GBTpc-EUC-H GBTpc-EUC-V H Hankaku Hiragana HKdla-B5-H HKdla-B5-V HKdlb-B5-H HKdlb-B5-V
HKgccs-B5-H HKgccs-B5-V HKm314-B5-H HKm314-B5-V HKm471-B5-H HKm471-B5-V HKscs-B5-H HKscs-B5-V
Identity-H Identity-V Katakana KSC-EUC-H KSC-EUC-V KSC-H KSC-Johab-H KSC-Johab-V KSC-V
KSCms-UHC-H KSCms-UHC-HW-H KSCms-UHC-HW-V KSCms-UHC-V KSCpc-EUC-H KSCpc-EUC-V NWP-H NWP-V RKSJ-H
RKSJ-V Roman UniCNS-UCS2-H UniCNS-UCS2-V UniCNS-UTF16-H UniCNS-UTF16-V UniCNS-UTF32-H
UniCNS-UTF32-V UniCNS-UTF8-H UniCNS-UTF8-V UniGB-UCS2-H UniGB-UCS2-V UniGB-UTF16-H UniGB-UTF16-V
UniGB-UTF32-H UniGB-UTF8-H UniGB-UTF8-V UniJIS-UCS2-H UniJIS-UCS2-HW-H UniJIS-UCS2-HW-V
UniJIS-UCS2-V UniJIS-UTF16-H UniJIS-UTF16-V UniJIS-UTF32-H UniJIS-UTF32-V UniJIS-UTF8-H
UniJIS-UTF8-V UniJIS2004-UTF16-H UniJIS2004-UTF16-V UniJIS2004-UTF32-H UniJIS2004-UTF32-V
UniJIS2004-UTF8-H UniJIS2004-UTF8-V UniJISPro-UCS2-HW-V UniJISPro-UCS2-V UniJISPro-UTF8-V
UniJISX0213-UTF32-H UniJISX0213-UTF32-V UniJISX02132004-UTF32-H UniJISX02132004-UTF32-V
UniKS-UCS2-H UniKS-UCS2-V UniKS-UTF16-H UniKS-UTF16-V UniKS-UTF32-H UniKS-UTF32-V UniKS-UTF8-H
UniKS-UTF8-V V WP-Symbol""".split()

# A CMap that poppler-data does not carry is kept as this text, which parses as an empty CMap.
PLACEHOLDER = '%!PS-Adobe-3.0 Resource-CMap\n% {name}: not available\nbegincmap\nendcmap\n'

CID_TABLES = [(932, 'Adobe-Japan1'), (936, 'Adobe-GB1'), (949, 'Adobe-Korea1'), (950, 'Adobe-CNS1')]


def find_cmap(name):
    hits = [p for p in glob.glob(os.path.join(POPPLER_CMAPS, '**', name), recursive=True) if os.path.isfile(p)]
    return hits[0] if hits else None


def write_cmaps(out):
    os.makedirs(os.path.join(out, 'cmaps'), exist_ok=True)
    manifest = []
    assert len(PREDEFINED) == 165
    for i, name in enumerate(PREDEFINED, 1):
        src = find_cmap(name)
        data = open(src, 'rb').read() if src else PLACEHOLDER.format(name=name).encode()
        if not src:
            print('no CMap in poppler-data for', name, '(placeholder kept)')
        with open(os.path.join(out, 'cmaps', name), 'wb') as f:
            f.write(data)
        manifest.append('%d zlib cmaps/%s' % (11000 + i, name))
    return manifest


def ucs2_values(path):
    """CID to its first UTF-16 unit from a CID-to-UCS2 CMap."""
    text = open(path, encoding='latin-1').read()
    values = {}
    for section in re.findall(r'beginbfchar(.*?)endbfchar', text, re.S):
        for cid, dst in re.findall(r'<([0-9a-fA-F]+)>\s*<([0-9a-fA-F]+)>', section):
            values.setdefault(int(cid, 16), int(dst[:4], 16))
    for section in re.findall(r'beginbfrange(.*?)endbfrange', text, re.S):
        for lo, hi, dst in re.findall(r'<([0-9a-fA-F]+)>\s*<([0-9a-fA-F]+)>\s*<([0-9a-fA-F]+)>', section):
            for cid in range(int(lo, 16), int(hi, 16) + 1):
                values.setdefault(cid, int(dst[:4], 16) + cid - int(lo, 16))
    return values


def write_cid_tables(out):
    os.makedirs(os.path.join(out, 'cidtounicode'), exist_ok=True)
    manifest = []
    for code_page, collection in CID_TABLES:
        values = ucs2_values(find_cmap(collection + '-UCS2'))
        table = [values.get(cid, 0) for cid in range(max(values) + 1)]
        table[0] = 0xFFFD
        name = 'cidtounicode/%s.bin' % collection
        with open(os.path.join(out, name), 'wb') as f:
            f.write(struct.pack('<%dH' % len(table), *table))
        manifest.append('%d zlib %s' % (11000 + code_page, name))
        print(collection, len(table), 'CIDs')
    return manifest


def write_glyph_list(out):
    os.makedirs(os.path.join(out, 'glyphlist'), exist_ok=True)
    with open(os.path.join(out, 'glyphlist', 'glyphlist.txt'), 'w') as f:
        f.write(agl._aglText.lstrip('\n'))
    records = []
    for line in agl._aglText.splitlines():
        if line and not line.startswith('#'):
            name, codes = line.split(';')
            records.append((name.encode('ascii'), int(codes.split()[0], 16)))
    records.sort()
    index_size = 3 * (ord('z') - ord('A') + 1)
    body = bytearray()
    first = {}
    for name, value in records:
        first.setdefault(name[0], index_size + len(body) + 1)  # 1-based offset in the whole data
        body += bytes([len(name)]) + name + struct.pack('<H', value)
    index = bytearray()
    for ch in range(ord('A'), ord('z') + 1):
        index += struct.pack('<I', first.get(ch, 0))[:3]
    data = bytes(index) + bytes(body)
    with open(os.path.join(out, 'glyphlist', 'glyphlist.bin'), 'wb') as f:
        f.write(data)
    print('glyph list', len(records), 'records,', len(data), 'bytes')
    return ['15902 zlib glyphlist/glyphlist.bin']


def main():
    out = sys.argv[1]
    manifest = write_cmaps(out) + write_cid_tables(out) + write_glyph_list(out)
    print('\n'.join(manifest))


if __name__ == '__main__':
    main()
