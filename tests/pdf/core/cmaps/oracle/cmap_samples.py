#!/usr/bin/python3
"""An independent reading of the committed CMap texts: prints "name code cid" for a sample of
the codes each predefined CMap maps (its own ranges first, then those of its usecmap parents),
and "name -" for a CMap that maps nothing. Usage: cmap_samples.py <resources/cmaps> <names...>"""
import os
import re
import sys

folder = sys.argv[1]


def ranges_of(name, depth=0):
    """The CMap's (low, high, cid) ranges in file order, then its parent's."""
    text = open(os.path.join(folder, name), encoding='latin-1').read()
    text = re.sub(r'%[^\r\n]*', '', text)
    sections = re.findall(r'begincid(range|char)(.*?)endcid(?:range|char)', text, re.S)
    ranges = []
    for kind, body in sections:
        if kind == 'range':
            for lo, hi, cid in re.findall(r'<([0-9a-fA-F]+)>\s*<([0-9a-fA-F]+)>\s*(\d+)', body):
                ranges.append((int(lo, 16), int(hi, 16), int(cid)))
        else:
            for code, cid in re.findall(r'<([0-9a-fA-F]+)>\s*(\d+)', body):
                ranges.append((int(code, 16), int(code, 16), int(cid)))
    parent = re.search(r'/(\S+)\s+usecmap', text)
    if parent and depth < 8:
        ranges += ranges_of(parent.group(1), depth + 1)
    return ranges


for name in sys.argv[2:]:
    ranges = ranges_of(name)
    if not ranges:
        print(name, '-')
        continue
    step = max(1, len(ranges) // 12)
    codes = set()
    for lo, hi, _ in ranges[::step] + [ranges[-1]]:
        codes |= {lo, hi, (lo + hi) // 2}
    for code in sorted(codes):
        cid = next(c + code - lo for lo, hi, c in ranges if lo <= code <= hi)
        print(name, code, cid)
