#!/usr/bin/python3
"""An independent reading of Type 1 and CFF fonts through fontTools, for the font format tests.

  font_oracle.py t1 FILE.pfb     lenIV, Subrs count, FontBBox, encoding, and per glyph the
                                 decrypted charstring's length and MD5 and its control bounds
  font_oracle.py cff FILE        (.otf or bare CFF) scale, CID flag, global and local Subrs
                                 counts, encoding, and per glyph index its name, FD and control
                                 bounds

Bounds are "none" for a glyph without points, else xmin ymin xmax ymax rounded to 3 decimals.
"""
import hashlib
import sys

from fontTools.pens.boundsPen import ControlBoundsPen


def bounds(charstring):
    pen = ControlBoundsPen(None)
    charstring.draw(pen)
    if pen.bounds is None:
        return "none"
    return " ".join("%.3f" % v for v in pen.bounds)


def type1(path):
    from fontTools import t1Lib
    font = t1Lib.T1Font(path)
    font.parse()
    d = font.font
    private = d["Private"]
    print("lenIV", private.get("lenIV", 4))
    print("subrs", len(private.get("Subrs", [])))
    print("bbox", " ".join(str(v) for v in d["FontBBox"]))
    for code, name in enumerate(d["Encoding"]):
        if name != ".notdef":
            print("enc", code, name)
    for name, cs in sorted(d["CharStrings"].items()):
        data = cs.bytecode
        print("glyph", name, len(data), hashlib.md5(data).hexdigest(), bounds(cs))


def cff(path):
    from fontTools.cffLib import CFFFontSet
    data = open(path, "rb").read()
    if data[:4] == b"OTTO":
        from fontTools.ttLib import TTFont
        cffset = TTFont(path)["CFF "].cff
    else:
        import io
        cffset = CFFFontSet()
        cffset.decompile(io.BytesIO(data), None)
    top = cffset.topDictIndex[0]
    print("scale", "%.6f" % (top.FontMatrix[0] * 1000))
    is_cid = hasattr(top, "ROS")
    print("cid", 1 if is_cid else 0)
    print("gsubrs", len(cffset.GlobalSubrs))
    if is_cid:
        for i, fd in enumerate(top.FDArray):
            subrs = getattr(fd.Private, "Subrs", None)
            print("fdsubrs", i, len(subrs) if subrs is not None else 0)
    else:
        subrs = getattr(top.Private, "Subrs", None)
        print("subrs", len(subrs) if subrs is not None else 0)
        encoding = getattr(top, "Encoding", "StandardEncoding")
        if encoding == "StandardEncoding":
            from fontTools.encodings.StandardEncoding import StandardEncoding
            encoding = StandardEncoding
        if isinstance(encoding, list):
            for code, name in enumerate(encoding):
                if name != ".notdef":
                    print("enc", code, name)
    charstrings = top.CharStrings
    fdselect = getattr(top, "FDSelect", None)
    for gid, name in enumerate(top.charset):
        fd = fdselect[gid] if fdselect is not None else -1
        print("glyph", gid, name, fd, bounds(charstrings[name]))


if __name__ == "__main__":
    {"t1": type1, "cff": cff}[sys.argv[1]](sys.argv[2])
