#!/usr/bin/python3
# Writes a TrueType collection of the given fonts, each renamed to a family of its own, for
# tests of installed collection faces. Usage: make_font_collection.py OUT.ttc FAMILY=FONT...
import sys
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection

collection = TTCollection()
for item in sys.argv[2:]:
    family, path = item.split("=", 1)
    font = TTFont(path)
    for record in font["name"].names:
        if record.nameID in (1, 4, 16, 21):
            record.string = family
        elif record.nameID in (6, 20):
            record.string = family.replace(" ", "")
        elif record.nameID in (2, 17, 22):
            record.string = "Regular"
    collection.fonts.append(font)
collection.save(sys.argv[1])
