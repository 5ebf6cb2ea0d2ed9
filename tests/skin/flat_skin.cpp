#include "tests/skin/flat_skin.h"

#include <algorithm>
#include <functional>
#include <map>

namespace flatskin {

namespace {

using skintest::LE32;

struct Rgb3 {
  int r, g, b;
};
Rgb3 Split(TColor c) { return {int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)}; }
const TColor kMagenta = skintest::Rgb(255, 0, 255);

// A 24-bit BMP, rows bottom-up, written here by hand.
std::string Bmp(int w, int h, const std::function<TColor(int, int)>& at) {
  const int stride = (w * 3 + 3) & ~3;
  const uint32_t size = 54 + uint32_t(stride * h);
  std::string b = "BM" + LE32(size) + LE32(0) + LE32(54) + LE32(40) + LE32(uint32_t(w)) + LE32(uint32_t(h));
  b += std::string("\x01\x00\x18\x00", 4) + LE32(0) + LE32(uint32_t(stride * h)) + LE32(2835) + LE32(2835) + LE32(0) +
       LE32(0);
  for (int y = h - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < w; ++x) {
      const Rgb3 c = Split(at(x, y));
      row += char(c.b);
      row += char(c.g);
      row += char(c.r);
    }
    row.resize(size_t(stride), '\0');
    b += row;
  }
  return b;
}

// Frames of flat colours side by side.
std::string Strip(int w, int h, const std::vector<TColor>& colours) {
  return Bmp(w * int(colours.size()), h, [&](int x, int) { return colours[size_t(x / w)]; });
}

// Frames 1..n of flat colours side by side.
std::string Frames(int w, int h, int n, TColor (*colour)(int)) {
  std::vector<TColor> c;
  for (int i = 1; i <= n; ++i) c.push_back(colour(i));
  return Strip(w, h, c);
}

// Two frames side by side of a vertical border whose outer corners are cut.
std::string SideBorder(const TColor (&c)[2], bool left) {
  const int w = kBorder, h = 20;
  return Bmp(2 * w, h, [&](int x, int y) {
    const int fx = x % w;
    const int outer = left ? fx : w - 1 - fx;  // 0 at the window's edge
    const int edgeY = std::min(y, h - 1 - y);
    if (outer + edgeY < 2) return kMagenta;
    return c[x / w];
  });
}

// Normal (magenta), separator, unused, selected, unused.
std::string MenuItems() {
  const int f = kItemFrame;
  return Bmp(5 * f, f, [f](int x, int y) {
    const int frame = x / f, fx = x % f;
    switch (frame) {
      case 1:
        if (y != kSeparatorRow && y != kSeparatorRow + 1) return kMagenta;
        return fx < kItemMargin || fx >= f - kItemMargin ? kSeparatorEnd : kSeparator;
      case 3:
        return kItemSelected;
      case 0:
        return kMagenta;
      default:
        return skintest::Rgb(0x99, 0x99, 0x99);
    }
  });
}

std::string Ini(TColor face) {
  auto colour = [](TColor c) {
    const Rgb3 v = Split(c);
    return std::to_string(v.r) + " " + std::to_string(v.g) + " " + std::to_string(v.b);
  };
  std::string s =
      "[TitlebarSkin]\r\nSkinName=Flat\r\n"
      "[Personality]\r\n"
      "Top=top.bmp\r\nTopFrame=2\r\nTopStretch=1\r\nTopTrans=0\r\n"
      "Left=left.bmp\r\nLeftFrame=2\r\nLeftStretch=1\r\nLeftTrans=1\r\nLeftTopHeight=4\r\nLeftBotHeight=4\r\n"
      "Right=right.bmp\r\nRightFrame=2\r\nRightStretch=1\r\nRightTrans=1\r\nRightTopHeight=4\r\nRightBotHeight=4\r\n"
      "Bottom=bottom.bmp\r\nBottomFrame=2\r\nBottomStretch=1\r\nBottomTrans=0\r\n"
      "TextShift=8\r\nTextShiftVert=0\r\nTextRightClip=70\r\nTextAlignment=0\r\n"
      "menuBar=menubar.bmp\r\nTileMenu=1\r\nTileLeftMenu=2\r\nTileRightMenu=2\r\n"
      "[Colours]\r\nButtonFace=" + colour(face) + "\r\nTitleTextActive=" + colour(kTitleText[0]) +
      "\r\nTitleTextNoActive=" + colour(kTitleText[1]) + "\r\nButtonShadow=" + colour(kShadow) + "\r\nMenu=" + colour(kMenuColour) +
      "\r\nMenuText=" + colour(kMenuText) + "\r\nHilight=" + colour(kHilight) + "\r\nHilightText=" +
      colour(kHilightText) + "\r\nMenuBarText=" + colour(kMenuBarText) + "\r\n"
      "[Buttons]\r\nBitmap=button.bmp\r\nCheckButton=check.bmp\r\nCheckButtonFrame=4\r\n"
      "RadioButton=radio.bmp\r\nRadioButtonFrame=4\r\nTrans=0\r\n"
      "[Progress]\r\nBitmap=progress.bmp\r\nStyle=0\r\n"
      "[Scrollbar]\r\nImage=scrollbar.bmp\r\n[HorzScroll]\r\nImage=hscroll.bmp\r\n[VertScroll]\r\nImage=vscroll.bmp\r\n"
      "[HorzScrollThumb]\r\nImage=hthumb.bmp\r\n[VertScrollThumb]\r\nImage=vthumb.bmp\r\n"
      "[ComboButton]\r\nImage=combo.bmp\r\n[SunkEdge]\r\nImage=sunk.bmp\r\n[ExtraImages]\r\nImage=extra.bmp\r\n"
      "[MenuItem]\r\nImage=menuitem.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\n"
      "Trans=1\r\nTile=0\r\n"
      "[MenuBackground]\r\nImage=menubg.bmp\r\nLeftWidth=3\r\nRightWidth=3\r\nTopHeight=3\r\nBottomHeight=3\r\n"
      "[Tabs]\r\nImage=tabs.bmp\r\nBorder=pane.bmp\r\nStyle=0\r\nNormalColour2=" + colour(kTabText[0]) +
      "\r\nPressedColour2=" + colour(kTabText[1]) + "\r\n"
      "[Track]\r\nImage=track.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\n"
      "[TRACKVERT]\r\nImage=trackvert.bmp\r\nTopHeight=2\r\nBottomHeight=2\r\n"
      "[Trackbar.ThumbHorz]\r\nImage=thumb.bmp\r\n"
      "[StatusBarEdges]\r\nImage=edges.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\n"
      "[Headerbar]\r\nImage=header.bmp\r\n";
  auto button = [&](int n, int action, int x, int visibility, const char* image) {
    s += "[Button" + std::to_string(n) + "]\r\nAction=" + std::to_string(action) + "\r\nAlign=1\r\nXcoord=" +
         std::to_string(x) + "\r\nYcoord=" + std::to_string(kButtonTop) + "\r\nVisibility=" +
         std::to_string(visibility) + "\r\nframe=4\r\nButtonImage=" + image + "\r\n";
  };
  button(0, 0, kCloseX, 0, "close.bmp");
  button(1, 1, kMaxX, 2, "max.bmp");
  button(2, 1, kMaxX, 1, "restore.bmp");
  button(3, 2, kMinX, 0, "min.bmp");
  return s;
}

}  // namespace

TColor Shifted(TColor c, int shift) { return TColor((c & 0xFFFF00) | ((c & 0xFF) + TColor(shift))); }

std::string FlatSkin(int shift) { return FlatSkinOf(shift, 0); }

std::string RecolouredFlatSkin(int shift) { return FlatSkinOf(0, shift); }

std::string FlatSkinOf(int shift, int controlShift) {
  static std::map<std::pair<int, int>, std::string> cache;
  auto found = cache.find({shift, controlShift});
  if (found != cache.end()) return found->second;
  auto cs = [controlShift](std::initializer_list<TColor> c) {
    std::vector<TColor> out;
    for (TColor x : c) out.push_back(Shifted(x, controlShift));
    return out;
  };
  auto sh = [shift](const TColor (&c)[2]) { return std::vector<TColor>{Shifted(c[0], shift), Shifted(c[1], shift)}; };
  const TColor left[2] = {Shifted(kLeft[0], shift), Shifted(kLeft[1], shift)};
  const TColor right[2] = {Shifted(kRight[0], shift), Shifted(kRight[1], shift)};
  const auto top = sh(kTop), bottom = sh(kBottom);
  skintest::Entries e = {
      {"flat.ini", Ini(Shifted(kFace, controlShift))},
      {"top.bmp", Bmp(30, 2 * kCaption, [&](int, int y) { return top[size_t(y / kCaption)]; })},
      {"bottom.bmp", Bmp(30, 2 * kBorder, [&](int, int y) { return bottom[size_t(y / kBorder)]; })},
      {"left.bmp", SideBorder(left, true)},
      {"right.bmp", SideBorder(right, false)},
      {"close.bmp", Strip(kButtonW, kButtonH, {kClose[0], kClose[1], kClose[2], kClose[3]})},
      {"max.bmp", Strip(kButtonW, kButtonH, {kMax[0], kMax[1], kMax[2], kMax[3]})},
      {"restore.bmp", Strip(kButtonW, kButtonH, {kRestore[0], kRestore[1], kRestore[2], kRestore[3]})},
      {"min.bmp", Strip(kButtonW, kButtonH, {kMin[0], kMin[1], kMin[2], kMin[3]})},
      {"button.bmp", Strip(kPushW, kPushH, {kPush[0], kPush[1], kPush[2], kPush[3], kPush[4]})},
      {"check.bmp", Strip(kBox, kBox, cs({kCheck[0], kCheck[1], kCheck[2], kCheck[3]}))},
      {"radio.bmp", Strip(kBox, kBox, cs({kRadio[0], kRadio[1], kRadio[2], kRadio[3]}))},
      {"progress.bmp", Strip(kProgressW, kProgressH, {kProgress[0], kProgress[1]})},
      {"scrollbar.bmp", Frames(kStrip, kStrip, 23, ScrollFrame)},
      {"hscroll.bmp", Frames(kTrackLen, kStrip, 4, HorzTrack)},
      {"vscroll.bmp", Frames(kStrip, kTrackLen, 4, VertTrack)},
      {"hthumb.bmp", Frames(kTrackLen, kStrip, 3, HorzThumb)},
      {"vthumb.bmp", Frames(kStrip, kTrackLen, 3, VertThumb)},
      {"combo.bmp", Bmp(4 * kComboButtonW, kComboH,
                        [](int x, int) {
                          return x % kComboButtonW < kComboMarkW ? kComboMark : ComboButtonFrame(x / kComboButtonW + 1);
                        })},
      {"sunk.bmp", Frames(20, 20, 4, SunkFrame)},
      {"extra.bmp", Frames(kExtraW, kExtraH, 5, ExtraFrame)},
      {"menuitem.bmp", MenuItems()},
      {"menubg.bmp", Bmp(20, 20, [](int x, int y) {
         return std::min({x, y, 19 - x, 19 - y}) < 3 ? kMenuEdge : kMenuInside;
       })},
      {"menubar.bmp", Bmp(20, 40, [](int, int y) { return kMenuBar[y / 20]; })},
      {"tabs.bmp", Strip(12, 12, cs({kTab[0], kTab[1], kTab[2], kTab[3], kTab[4]}))},
      {"pane.bmp", Strip(12, 12, cs({kPane}))},
      {"track.bmp", Strip(12, 4, {kTrack[0]})},
      {"trackvert.bmp", Strip(4, 12, {kTrack[1]})},
      {"thumb.bmp", Strip(11, 20, {kThumb[0], kThumb[1], kThumb[2], kThumb[3], kThumb[4]})},
      {"edges.bmp", Strip(12, 12, {kEdge[0], kEdge[1], kEdge[2]})},
      {"header.bmp", Strip(12, 12, {kHeader[0], kHeader[1], kHeader[2], kHeader[3], kHeader[4]})},
  };
  return cache[{shift, controlShift}] = skintest::PackEntries(e);
}

}  // namespace flatskin
