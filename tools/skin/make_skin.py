#!/usr/bin/python3
"""Generates the program's own skin: a light, flat look with a steel-blue accent.

  make_skin.py --skin DIR        writes the skin INI and its bitmaps into DIR and prints the
                                 entry files in the order they are packed
  make_skin.py --resources DIR   writes the engine's bitmap resources: track.bmp (16 x 4),
                                 trackvert.bmp (4 x 16) and lumbrelmenu.bmp (64 x 16, one bit:
                                 restore, maximise, minimise and close glyphs)
  make_skin.py --pack FILE       generates the skin and packs it into FILE
  make_skin.py --form DFM        writes the skin component (its packed skin as binary data) and
                                 the skin store into the main window's form description,
                                 replacing those already there (after Button5)

Everything is drawn here from flat colours; magenta (255, 0, 255) marks what is transparent.
"""

import argparse
import os
import struct
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pack_skin  # noqa: E402
import skin_form  # noqa: E402

MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)

# The palette of the scheme in use (see SCHEMES and use_scheme).
FACE = (236, 239, 242)
FACE_DARK = (222, 227, 232)
LINE = (171, 181, 191)
LINE_DARK = (120, 135, 150)
TEXT = (33, 47, 61)
TEXT_SOFT = (120, 130, 140)
ACCENT = (46, 134, 171)
ACCENT_LIGHT = (214, 234, 244)
ACCENT_DARK = (31, 97, 125)
INACTIVE = (170, 180, 190)
DISABLED = (190, 196, 202)
DISABLED_FACE = (243, 244, 246)
CLOSE_HOT = (214, 69, 65)
WINDOW = (255, 255, 255)

# One design in four colour schemes: the accent and its tints change, and the face and lines
# lean slightly towards the accent. The first is the program's own skin.
SCHEMES = {
    "Velmora": {},
    "Velmora Sage": {
        "FACE": (236, 241, 237), "FACE_DARK": (221, 230, 223), "LINE": (170, 186, 175),
        "LINE_DARK": (112, 136, 120), "TEXT": (31, 51, 38), "TEXT_SOFT": (118, 134, 123),
        "ACCENT": (67, 140, 94), "ACCENT_LIGHT": (218, 238, 225), "ACCENT_DARK": (44, 100, 65),
        "INACTIVE": (171, 186, 176), "CLOSE_HOT": (205, 72, 60)},
    "Velmora Plum": {
        "FACE": (240, 237, 242), "FACE_DARK": (229, 223, 233), "LINE": (184, 174, 191),
        "LINE_DARK": (136, 120, 149), "TEXT": (52, 36, 61), "TEXT_SOFT": (132, 121, 139),
        "ACCENT": (126, 78, 150), "ACCENT_LIGHT": (236, 224, 243), "ACCENT_DARK": (90, 52, 110),
        "INACTIVE": (186, 176, 192), "CLOSE_HOT": (200, 62, 92)},
    "Velmora Amber": {
        "FACE": (242, 239, 234), "FACE_DARK": (233, 227, 218), "LINE": (192, 181, 165),
        "LINE_DARK": (150, 132, 108), "TEXT": (61, 45, 26), "TEXT_SOFT": (139, 128, 114),
        "ACCENT": (196, 122, 28), "ACCENT_LIGHT": (248, 232, 206), "ACCENT_DARK": (142, 86, 16),
        "INACTIVE": (194, 184, 170), "CLOSE_HOT": (208, 66, 52)},
}
_BASE = {name: globals()[name] for name in ("FACE", "FACE_DARK", "LINE", "LINE_DARK", "TEXT", "TEXT_SOFT", "ACCENT",
                                             "ACCENT_LIGHT", "ACCENT_DARK", "INACTIVE", "CLOSE_HOT")}


def use_scheme(name):
    """Makes the palette that of the named scheme."""
    globals().update(_BASE)
    globals().update(SCHEMES[name])


class Image:
    def __init__(self, width, height, color=MAGENTA):
        self.width = width
        self.height = height
        self.px = [[color] * width for _ in range(height)]

    def set(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = color

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, x0, y0, x1, y1, color):
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                self.px[y][x] = color

    def frame(self, x0, y0, x1, y1, color):
        for x in range(x0, x1):
            self.set(x, y0, color)
            self.set(x, y1 - 1, color)
        for y in range(y0, y1):
            self.set(x0, y, color)
            self.set(x1 - 1, y, color)

    def round(self, x0, y0, x1, y1, color=MAGENTA):
        """Cuts the four corner pixels of a box (a radius of one pixel)."""
        for x, y in ((x0, y0), (x1 - 1, y0), (x0, y1 - 1), (x1 - 1, y1 - 1)):
            self.set(x, y, color)

    def pattern(self, x0, y0, rows, color):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == "#":
                    self.set(x0 + dx, y0 + dy, color)

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                self.set(x0 + x, y0 + y, other.px[y][x])


def side_by_side(frames):
    out = Image(sum(f.width for f in frames), max(f.height for f in frames))
    x = 0
    for f in frames:
        out.paste(f, x, 0)
        x += f.width
    return out


def stacked(frames):
    out = Image(max(f.width for f in frames), sum(f.height for f in frames))
    y = 0
    for f in frames:
        out.paste(f, 0, y)
        y += f.height
    return out


def bmp24(img):
    stride = (img.width * 3 + 3) & ~3
    rows = bytearray()
    for y in range(img.height - 1, -1, -1):
        row = bytearray()
        for r, g, b in img.px[y]:
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows += row
    header = struct.pack("<IiiHHIIiiII", 40, img.width, img.height, 1, 24, 0, len(rows), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(rows), 0, 0, 54) + header + rows


def bmp1(img):
    """One bit per pixel: white (1) and black (0)."""
    stride = ((img.width + 31) // 32) * 4
    rows = bytearray()
    for y in range(img.height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(img.width):
            if img.px[y][x] == WHITE:
                row[x // 8] |= 0x80 >> (x % 8)
        rows += row
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    header = struct.pack("<IiiHHIIiiII", 40, img.width, img.height, 1, 1, 0, len(rows), 3780, 3780, 2, 2)
    offset = 14 + 40 + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + palette + rows


# ---- Glyphs (10 x 10 unless said) ----

GLYPH_CLOSE = ["#        #", " #      # ", "  #    #  ", "   #  #   ", "    ##    ",
               "    ##    ", "   #  #   ", "  #    #  ", " #      # ", "#        #"]
GLYPH_MAX = ["##########", "##########", "#        #", "#        #", "#        #",
             "#        #", "#        #", "#        #", "#        #", "##########"]
GLYPH_RESTORE = ["  ########", "  ########", "  #      #", "######## #", "######## #",
                 "#      # #", "#      ###", "#      #  ", "#      #  ", "########  "]
GLYPH_MIN = ["          ", "          ", "          ", "          ", "          ",
             "          ", "          ", "          ", "##########", "##########"]
ARROW_DOWN = ["       ", "#######", " ##### ", "  ###  ", "   #   ", "       "]
CHECK_MARK = ["        #", "       ##", "#     ## ", "##   ##  ", " ## ##   ", "  ###    ", "   #     "]


def rotate_rows(rows):
    """A pattern turned a quarter clockwise."""
    h, w = len(rows), len(rows[0])
    return ["".join(rows[h - 1 - x][y] for x in range(h)) for y in range(w)]


# Down turned clockwise points left; turned three times, right.
ARROW_LEFT = rotate_rows(ARROW_DOWN)
ARROW_UP = rotate_rows(rotate_rows(ARROW_DOWN))
ARROW_RIGHT = rotate_rows(rotate_rows(rotate_rows(ARROW_DOWN)))


def centred(img, rows, color, dx=0, dy=0):
    img.pattern((img.width - len(rows[0])) // 2 + dx, (img.height - len(rows)) // 2 + dy, rows, color)


# ---- Elements ----

def caption_button(glyph, close=False):
    """Normal, pressed, hot, disabled: 22 x 18 each, over a transparent background."""
    frames = []
    for state in ("normal", "pressed", "hot", "disabled"):
        f = Image(22, 18)
        color = TEXT
        if state == "pressed":
            f.fill(0, 0, 22, 18, ACCENT_DARK if not close else (170, 50, 46))
            color = WHITE
        elif state == "hot":
            f.fill(0, 0, 22, 18, ACCENT_LIGHT if not close else CLOSE_HOT)
            color = TEXT if not close else WHITE
        elif state == "disabled":
            color = DISABLED
        if state in ("pressed", "hot"):
            f.round(0, 0, 22, 18)
        centred(f, glyph, color)
        frames.append(f)
    return side_by_side(frames)


CAPTION = 28  # the title bar's height


def top_border():
    """Active over inactive, 60 x 28 each: an outer line, the accent strip, the face and the
    line under the caption; the same in every column, so that it tiles."""
    frames = []
    for strip, line in ((ACCENT, LINE_DARK), (INACTIVE, LINE)):
        f = Image(60, CAPTION, FACE)
        f.fill(0, 0, 60, 1, line)
        f.fill(0, 1, 60, 3, strip)
        f.fill(0, CAPTION - 1, 60, CAPTION, LINE)
        frames.append(f)
    return stacked(frames)


# The rounded top-left and bottom-left corners of the frame (a radius of two pixels): M cut
# away, L the outer line, S the accent strip, F the face.
CORNER_TOP = ["MMLL", "MLSS", "LSSS"]
CORNER_BOTTOM = ["LFFF", "MLFF", "MMLL"]


def left_border():
    """Active and inactive, 4 x 40 each: the caption's left end (28 rows, kept), the frame
    (stretched) and the bottom corner (4 rows, kept)."""
    frames = []
    for strip, line in ((ACCENT, LINE_DARK), (INACTIVE, LINE)):
        f = Image(4, 40, FACE)
        f.fill(0, 0, 1, 40, line)
        f.fill(1, CAPTION - 1, 4, CAPTION, LINE)
        looks = {"M": MAGENTA, "L": line, "S": strip, "F": FACE}
        for y, row in enumerate(CORNER_TOP):
            for x, ch in enumerate(row):
                f.set(x, y, looks[ch])
        for y, row in enumerate(CORNER_BOTTOM):
            for x, ch in enumerate(row):
                f.set(x, 40 - len(CORNER_BOTTOM) + y, looks[ch])
        frames.append(f)
    return frames


def bottom_border():
    """Active over inactive, 60 x 4 each: the face and the outer line."""
    frames = []
    for line in (LINE_DARK, LINE):
        f = Image(60, 4, FACE)
        f.fill(0, 3, 60, 4, line)
        frames.append(f)
    return stacked(frames)


def push_button():
    """Normal, pressed, disabled, hot, focused or default: 24 x 22 each."""
    looks = [(WINDOW, LINE_DARK, 1), (ACCENT_DARK, ACCENT_DARK, 1), (DISABLED_FACE, DISABLED, 1),
             (ACCENT_LIGHT, ACCENT, 1), (WINDOW, ACCENT, 2)]
    frames = []
    for fill, border, width in looks:
        f = Image(24, 22, fill)
        for i in range(width):
            f.frame(i, i, 24 - i, 22 - i, border)
        f.round(0, 0, 24, 22)
        frames.append(f)
    return side_by_side(frames)


def box_states():
    """Unchecked, checked, unchecked disabled, checked disabled: with their border and fill."""
    for checked, enabled in ((False, True), (True, True), (False, False), (True, False)):
        yield checked, enabled, LINE_DARK if enabled else DISABLED, WINDOW if enabled else DISABLED_FACE


def check_boxes():
    """13 x 13 each."""
    frames = []
    for checked, enabled, border, fill in box_states():
        f = Image(13, 13)
        if checked:
            fill = ACCENT if enabled else DISABLED
            border = fill
        f.fill(0, 0, 13, 13, fill)
        f.frame(0, 0, 13, 13, border)
        f.round(0, 0, 13, 13)
        if checked:
            f.pattern(2, 3, CHECK_MARK, WHITE)
        frames.append(f)
    return side_by_side(frames)


def radio_buttons():
    frames = []
    for checked, enabled, border, fill in box_states():
        f = Image(13, 13)
        c = 6.0
        for y in range(13):
            for x in range(13):
                d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
                if d <= 6.5:
                    f.set(x, y, border if d > 5.2 else fill)
                if checked and d <= 2.9:
                    f.set(x, y, ACCENT if enabled else DISABLED)
        frames.append(f)
    return side_by_side(frames)


def progress():
    """The track, then the bar: 20 x 14 each."""
    track = Image(20, 14, FACE_DARK)
    track.frame(0, 0, 20, 14, LINE)
    bar = Image(20, 14, ACCENT)
    bar.frame(0, 0, 20, 14, ACCENT_DARK)
    return side_by_side([track, bar])


def chunk():
    c = Image(8, 10, ACCENT)
    c.fill(6, 0, 8, 10, FACE_DARK)
    return c


def sunk_edges():
    """The frame of edits and combo boxes: normal, pressed, disabled, hot (20 x 21 each)."""
    frames = []
    for border, fill in ((LINE_DARK, WINDOW), (ACCENT, WINDOW), (DISABLED, DISABLED_FACE), (ACCENT, WINDOW)):
        f = Image(20, 21, fill)
        f.frame(0, 0, 20, 21, border)
        frames.append(f)
    return side_by_side(frames)


def combo_buttons():
    """The drop-down button: normal, pressed, disabled, hot (17 x 21 each)."""
    frames = []
    for fill in (FACE, ACCENT_DARK, DISABLED_FACE, ACCENT_LIGHT):
        f = Image(17, 21, fill)
        f.frame(0, 0, 17, 21, MAGENTA)
        f.fill(1, 1, 2, 20, LINE)
        frames.append(f)
    return side_by_side(frames)


def extra_images():
    """Drop-down arrows for the four combo states, then a size grip: 16 x 16 each."""
    frames = []
    for color in (TEXT, WHITE, DISABLED, TEXT):
        f = Image(16, 16)
        centred(f, ARROW_DOWN, color)
        frames.append(f)
    grip = Image(16, 16)
    for i in range(3):
        for j in range(i + 1):
            grip.fill(12 - 4 * j, 4 + 4 * i, 14 - 4 * j, 6 + 4 * i, LINE_DARK)
    frames.append(grip)
    return side_by_side(frames)


def scrollbar():
    """23 frames of 16 x 16: four arrow groups (left, right, up, down: normal, pressed,
    disabled, hot), the horizontal and vertical grips (normal, pressed, hot), one spare."""
    frames = []
    looks = [(FACE, TEXT), (ACCENT_DARK, WHITE), (FACE, DISABLED), (ACCENT_LIGHT, TEXT)]
    for arrow in (ARROW_LEFT, ARROW_RIGHT, ARROW_UP, ARROW_DOWN):
        for fill, color in looks:
            f = Image(16, 16, fill)
            centred(f, arrow, color)
            frames.append(f)
    for vertical in (False, True):
        for color in (LINE_DARK, WHITE, ACCENT_DARK):
            f = Image(16, 16)
            for k in (-3, 0, 3):
                if vertical:
                    f.fill(5, 7 + k, 11, 8 + k, color)
                else:
                    f.fill(7 + k, 5, 8 + k, 11, color)
            frames.append(f)
    frames.append(Image(16, 16, FACE))
    return side_by_side(frames)


def scroll_track():
    frames = []
    for fill in (FACE_DARK, FACE_DARK, DISABLED_FACE, FACE_DARK):
        frames.append(Image(16, 16, fill))
    return side_by_side(frames)


def scroll_thumb(vertical):
    frames = []
    for fill in (LINE, ACCENT_DARK, ACCENT):
        f = Image(16, 16, FACE_DARK)
        if vertical:
            f.fill(3, 1, 13, 15, fill)
        else:
            f.fill(1, 3, 15, 13, fill)
        frames.append(f)
    return side_by_side(frames)


def simple_frames(count, width, height, looks):
    frames = []
    for fill, border in looks[:count]:
        f = Image(width, height, fill)
        if border:
            f.frame(0, 0, width, height, border)
        frames.append(f)
    return side_by_side(frames)


def tabs():
    """Normal, selected, disabled, hot, focused: 30 x 22 each, open at the bottom."""
    frames = []
    for fill, border in ((FACE_DARK, LINE), (WINDOW, LINE_DARK), (DISABLED_FACE, DISABLED),
                         (ACCENT_LIGHT, ACCENT), (WINDOW, ACCENT)):
        f = Image(30, 22, fill)
        f.fill(0, 0, 30, 1, border)
        f.fill(0, 0, 1, 22, border)
        f.fill(29, 0, 30, 22, border)
        f.set(0, 0, MAGENTA)
        f.set(29, 0, MAGENTA)
        frames.append(f)
    return side_by_side(frames)


# A separator item is half a menu row high (9 rows) and shows the bottom rows of the
# separator frame: its line stands in the middle of those.
SEPARATOR_ROW = 15


def menu_items():
    """Normal (transparent), separator, (unused), selected, (unused): 20 x 20 each. The selected
    frame is light, so that the item's text (HilightText, the dark text colour) reads on it."""
    normal = Image(20, 20)
    separator = Image(20, 20)
    separator.fill(2, SEPARATOR_ROW, 18, SEPARATOR_ROW + 1, LINE)
    selected = Image(20, 20, ACCENT_LIGHT)
    selected.frame(0, 0, 20, 20, ACCENT)
    selected.round(0, 0, 20, 20)
    return side_by_side([normal, separator, Image(20, 20), selected, Image(20, 20)])


def menu_background():
    f = Image(20, 20, WINDOW)
    f.frame(0, 0, 20, 20, LINE_DARK)
    f.frame(1, 1, 19, 19, WINDOW)
    f.frame(2, 2, 18, 18, WINDOW)
    return f


def trackbar_thumbs(vertical):
    frames = []
    for fill in (WINDOW, ACCENT_DARK, DISABLED_FACE, ACCENT_LIGHT, WINDOW):
        f = Image(19, 11, fill) if vertical else Image(11, 19, fill)
        f.frame(0, 0, f.width, f.height, ACCENT if fill != DISABLED_FACE else DISABLED)
        f.round(0, 0, f.width, f.height)
        frames.append(f)
    return side_by_side(frames)


def updown(horizontal):
    """Up or left (normal, pressed, disabled, hot), then down or right; and their glyphs."""
    frames, glyphs = [], []
    first, second = (ARROW_LEFT, ARROW_RIGHT) if horizontal else (ARROW_UP, ARROW_DOWN)
    for arrow in (first, second):
        for fill, color in ((FACE, TEXT), (ACCENT_DARK, WHITE), (DISABLED_FACE, DISABLED), (ACCENT_LIGHT, TEXT)):
            f = Image(16, 16, fill)
            f.frame(0, 0, 16, 16, LINE)
            frames.append(f)
            g = Image(16, 16)
            centred(g, arrow, color)
            glyphs.append(g)
    return side_by_side(frames), side_by_side(glyphs)


def mdi_controls():
    """Minimise, restore, close for MDI children, each in four looks: 16 x 14 frames."""
    small = {
        "min": ["        ", "        ", "        ", "        ", "        ", "########"],
        "restore": [" #######", " #######", " #     #", "###### #", "#    ###", "#    #  ", "######  "],
        "close": ["#     #", " #   # ", "  # #  ", "   #   ", "  # #  ", " #   # ", "#     #"],
    }
    frames = []
    for name in ("min", "restore", "close"):
        for fill, color in ((None, TEXT), (ACCENT_DARK, WHITE), (ACCENT_LIGHT, TEXT), (None, DISABLED)):
            f = Image(16, 14, fill or MAGENTA)
            centred(f, small[name], color)
            frames.append(f)
    return side_by_side(frames)


def track(vertical):
    if vertical:
        f = Image(4, 16, FACE_DARK)
        f.fill(0, 0, 1, 16, LINE)
        f.fill(3, 0, 4, 16, WINDOW)
    else:
        f = Image(16, 4, FACE_DARK)
        f.fill(0, 0, 16, 1, LINE)
        f.fill(0, 3, 16, 4, WINDOW)
    return f


def menu_glyphs():
    """Restore, maximise, minimise, close: black on white, 16 x 16 each."""
    frames = []
    for glyph in (GLYPH_RESTORE, GLYPH_MAX, GLYPH_MIN, GLYPH_CLOSE):
        f = Image(16, 16, WHITE)
        centred(f, glyph, (0, 0, 0))
        frames.append(f)
    return side_by_side(frames)


def c(rgb):
    return "%d %d %d" % rgb


INI = """; %(name)s: Velmora's light, flat look.
[TitlebarSkin]
SkinName=%(name)s

[Personality]
Top=top.bmp
TopFrame=2
TopStretch=0
TopTrans=0
Left=left.bmp
LeftFrame=2
LeftStretch=1
LeftTrans=1
LeftTopHeight=28
LeftBotHeight=4
Right=right.bmp
RightFrame=2
RightStretch=1
RightTrans=1
RightTopHeight=28
RightBotHeight=4
Bottom=bottom.bmp
BottomFrame=2
BottomStretch=1
BottomTrans=0
menuBar=menubar.bmp
TileMenu=1
TileLeftMenu=0
TileRightMenu=0
TextShift=30
TextShiftVert=2
TextRightClip=84
TextAlignment=0
ActiveTextR=%(tr)d
ActiveTextG=%(tg)d
ActiveTextB=%(tb)d
InActiveTextR=%(ir)d
InActiveTextG=%(ig)d
InActiveTextB=%(ib)d

[Fonts]
FontHeight=14

[Colours]
WindowText=%(text)s
ButtonFace=%(face)s
Scrollbar=%(face_dark)s
HilightText=%(text)s
Hilight=%(accent_light)s
Menubar=%(face)s
Menu=255 255 255
MenuText=%(text)s
ButtonText=%(text)s
ButtonHilight=255 255 255
Buttonlight=%(face)s
ButtonShadow=%(line)s
ButtonDkShadow=%(line_dark)s
MenuBarText=%(text)s
TitleTextActive=%(text)s
TitleTextNoActive=%(text_soft)s

[Colour0]
color=%(accent)s

[Customcolors]
Color0=%(accent)s
Color1=%(accent_light)s

[Button0]
; close
Action=0
Align=1
Xcoord=28
Ycoord=6
frame=4
ButtonImage=close.bmp

[Button1]
; maximise, while the window is not maximised
Action=1
Align=1
Xcoord=52
Ycoord=6
Visibility=2
frame=4
ButtonImage=maximize.bmp

[Button2]
; restore, where maximise was, while the window is maximised
Action=1
Align=1
Xcoord=52
Ycoord=6
Visibility=1
frame=4
ButtonImage=restore.bmp

[Button3]
; minimise
Action=2
Align=1
Xcoord=76
Ycoord=6
frame=4
ButtonImage=minimize.bmp

[Button4]
; the window's icon
Action=3
Align=0
Xcoord=8
Ycoord=7

[Buttons]
Bitmap=button.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
Trans=1
Tile=0
CheckButton=check.bmp
RadioButton=radio.bmp
CheckButtonFrame=4
RadioButtonFrame=4
NormalColour2=%(text)s
MouseOverColour2=%(text)s
PressedColour2=255 255 255

[Progress]
Bitmap=progress.bmp
Style=0
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2
Trans=0
Tile=0

[Progress.Chunk]
Image=chunk.bmp
Frame=1
Tile=1

[GroupBoxEdge]
Image=groupedge.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3

[Tabs]
Image=tabs.bmp
Border=tabborder.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=1
Trans=1

[Tab.Pane]
Image=tabpane.bmp
LeftWidth=1
RightWidth=1
TopHeight=1
BottomHeight=1

[StatusBarEdges]
Image=statusedges.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2
NormalColour2=%(text)s

[ToolBars]
Image=toolbars.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3

[ComboButton]
Image=combobutton.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2
Trans=1

[SunkEdge]
Image=sunkedge.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2

[ExtraImages]
Image=extra.bmp
Trans=1

[Headerbar]
Image=header.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2

[MenuItem]
Image=menuitem.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
Trans=1

[MenuBackground]
Image=menubg.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3

[Scrollbar]
Image=scrollbar.bmp

[HorzScroll]
Image=hscroll.bmp

[VertScroll]
Image=vscroll.bmp

[HorzScrollThumb]
Image=hthumb.bmp
LeftWidth=3
RightWidth=3
FrameCount=3

[VertScrollThumb]
Image=vthumb.bmp
TopHeight=3
BottomHeight=3
FrameCount=3

[Trackbar.ThumbHorz]
Image=thumbhorz.bmp
Trans=1

[Trackbar.ThumbVert]
Image=thumbvert.bmp
Trans=1

[UpDown.Horz]
Image=updownh.bmp
GlyphImage=updownhglyph.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2

[UpDown.Vert]
Image=updownv.bmp
GlyphImage=updownvglyph.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2

[MdiControls]
Image=mdicontrols.bmp
"""


def skin_files(scheme="Velmora"):
    """(name, bytes) of every entry of a scheme's skin, the INI first."""
    use_scheme(scheme)
    left_frames = left_border()
    menubar = stacked([Image(20, 20, FACE), Image(20, 20, FACE)])
    menubar.fill(0, 19, 20, 20, LINE)
    menubar.fill(0, 39, 20, 40, LINE)
    h_updown, h_glyph = updown(True)
    v_updown, v_glyph = updown(False)
    tab_border = Image(20, 20, WINDOW)
    tab_border.frame(0, 0, 20, 20, LINE_DARK)
    bitmaps = [
        ("top.bmp", top_border()),
        ("left.bmp", side_by_side(left_frames)),
        ("right.bmp", side_by_side([mirror(f) for f in left_frames])),
        ("bottom.bmp", bottom_border()),
        ("menubar.bmp", menubar),
        ("close.bmp", caption_button(GLYPH_CLOSE, close=True)),
        ("maximize.bmp", caption_button(GLYPH_MAX)),
        ("restore.bmp", caption_button(GLYPH_RESTORE)),
        ("minimize.bmp", caption_button(GLYPH_MIN)),
        ("button.bmp", push_button()),
        ("check.bmp", check_boxes()),
        ("radio.bmp", radio_buttons()),
        ("progress.bmp", progress()),
        ("chunk.bmp", chunk()),
        ("groupedge.bmp", simple_frames(2, 12, 12, [(FACE, LINE), (FACE, DISABLED)])),
        ("tabs.bmp", tabs()),
        ("tabborder.bmp", tab_border),
        ("tabpane.bmp", simple_frames(1, 12, 12, [(WINDOW, LINE_DARK)])),
        ("statusedges.bmp", simple_frames(3, 12, 12, [(FACE, LINE), (FACE, WINDOW), (FACE, None)])),
        ("toolbars.bmp", simple_frames(5, 22, 22, [(FACE, None), (ACCENT_DARK, ACCENT_DARK), (FACE, None),
                                                   (ACCENT_LIGHT, ACCENT), (ACCENT_LIGHT, ACCENT_DARK)])),
        ("combobutton.bmp", combo_buttons()),
        ("sunkedge.bmp", sunk_edges()),
        ("extra.bmp", extra_images()),
        ("header.bmp", simple_frames(5, 20, 20, [(FACE, LINE), (ACCENT_LIGHT, ACCENT), (ACCENT_DARK, ACCENT_DARK),
                                                 (DISABLED_FACE, DISABLED), (FACE, LINE)])),
        ("menuitem.bmp", menu_items()),
        ("menubg.bmp", menu_background()),
        ("scrollbar.bmp", scrollbar()),
        ("hscroll.bmp", scroll_track()),
        ("vscroll.bmp", scroll_track()),
        ("hthumb.bmp", scroll_thumb(False)),
        ("vthumb.bmp", scroll_thumb(True)),
        ("thumbhorz.bmp", trackbar_thumbs(False)),
        ("thumbvert.bmp", trackbar_thumbs(True)),
        ("updownh.bmp", h_updown),
        ("updownhglyph.bmp", h_glyph),
        ("updownv.bmp", v_updown),
        ("updownvglyph.bmp", v_glyph),
        ("mdicontrols.bmp", mdi_controls()),
    ]
    values = {"tr": TEXT[0], "tg": TEXT[1], "tb": TEXT[2], "ir": TEXT_SOFT[0], "ig": TEXT_SOFT[1],
              "ib": TEXT_SOFT[2], "text": c(TEXT), "face": c(FACE), "face_dark": c(FACE_DARK), "accent": c(ACCENT),
              "accent_light": c(ACCENT_LIGHT), "line": c(LINE), "line_dark": c(LINE_DARK),
              "text_soft": c(TEXT_SOFT), "name": scheme}
    ini = (INI % values).replace("\n", "\r\n").encode("ascii")
    return [("velmora.ini", ini)] + [(name, bmp24(img)) for name, img in bitmaps]


def packed_skin(scheme):
    return pack_skin.packed(pack_skin.archive(skin_files(scheme), 50000))


def mirror(img):
    out = Image(img.width, img.height)
    for y in range(img.height):
        out.px[y] = list(reversed(img.px[y]))
    return out


def write(folder, files):
    os.makedirs(folder, exist_ok=True)
    paths = []
    for name, data in files:
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        paths.append(path)
    return paths


def main(argv):
    ap = argparse.ArgumentParser(description="Generates Velmora's skin.")
    ap.add_argument("--skin", help="folder for the skin INI and bitmaps")
    ap.add_argument("--resources", help="folder for the engine's bitmap resources")
    ap.add_argument("--pack", help="packed skin to write")
    ap.add_argument("--form", help="form description to write the skin components into")
    ap.add_argument("--scheme", default="Velmora", choices=list(SCHEMES),
                    help="colour scheme of --skin and --pack (the form holds all of them)")
    args = ap.parse_args(argv)
    if args.skin:
        for p in write(args.skin, skin_files(args.scheme)):
            print(p)
    if args.resources:
        write(args.resources, [("track.bmp", bmp24(track(False))), ("trackvert.bmp", bmp24(track(True))),
                               ("lumbrelmenu.bmp", bmp1(menu_glyphs()))])
    if args.pack:
        with open(args.pack, "wb") as f:
            f.write(packed_skin(args.scheme))
    if args.form:
        store = [(name, packed_skin(name)) for name in SCHEMES]
        skin_form.write_form(args.form, store[0][1], store)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
