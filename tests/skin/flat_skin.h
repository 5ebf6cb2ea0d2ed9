// The flat test skin: every element a flat colour of its own, so that a pixel of a skinned
// window tells which element (and which frame of it) was drawn there. Its left and right
// borders cut the four window corners with magenta.
#pragma once

#include <string>

#include "tests/skin/skin_test_support.h"

namespace flatskin {

// Colours 0x00BBGGRR as a TColor; the active frame of a border, then its inactive frame.
inline constexpr TColor kLeft[2] = {skintest::Rgb(0x11, 0x22, 0x33), skintest::Rgb(0x12, 0x23, 0x34)};
inline constexpr TColor kRight[2] = {skintest::Rgb(0x21, 0x32, 0x43), skintest::Rgb(0x22, 0x33, 0x44)};
inline constexpr TColor kTop[2] = {skintest::Rgb(0x31, 0x42, 0x53), skintest::Rgb(0x32, 0x43, 0x54)};
inline constexpr TColor kBottom[2] = {skintest::Rgb(0x41, 0x52, 0x63), skintest::Rgb(0x42, 0x53, 0x64)};
// Caption buttons' frames: normal, pressed, hot, disabled.
inline constexpr TColor kClose[4] = {skintest::Rgb(0x51, 0x01, 0x01), skintest::Rgb(0x52, 0x02, 0x02),
                                     skintest::Rgb(0x53, 0x03, 0x03), skintest::Rgb(0x54, 0x04, 0x04)};
inline constexpr TColor kMax[4] = {skintest::Rgb(0x61, 0x01, 0x01), skintest::Rgb(0x62, 0x02, 0x02),
                                   skintest::Rgb(0x63, 0x03, 0x03), skintest::Rgb(0x64, 0x04, 0x04)};
inline constexpr TColor kRestore[4] = {skintest::Rgb(0x71, 0x01, 0x01), skintest::Rgb(0x72, 0x02, 0x02),
                                       skintest::Rgb(0x73, 0x03, 0x03), skintest::Rgb(0x74, 0x04, 0x04)};
inline constexpr TColor kMin[4] = {skintest::Rgb(0x81, 0x01, 0x01), skintest::Rgb(0x82, 0x02, 0x02),
                                   skintest::Rgb(0x83, 0x03, 0x03), skintest::Rgb(0x84, 0x04, 0x04)};
inline constexpr TColor kTitleText[2] = {skintest::Rgb(0xF1, 0xF2, 0x03), skintest::Rgb(0xF4, 0xF5, 0x06)};
inline constexpr TColor kFace = skintest::Rgb(0xA1, 0xB2, 0xC3);
inline constexpr TColor kShadow = skintest::Rgb(0x10, 0x20, 0x30);  // "ButtonShadow"
// Push buttons' frames: normal, pressed, disabled, hot, focused.
inline constexpr TColor kPush[5] = {skintest::Rgb(0x90, 0x11, 0x01), skintest::Rgb(0x90, 0x12, 0x02),
                                    skintest::Rgb(0x90, 0x13, 0x03), skintest::Rgb(0x90, 0x14, 0x04),
                                    skintest::Rgb(0x90, 0x15, 0x05)};
// Check-box and radio frames: unchecked, checked, unchecked disabled, checked disabled.
inline constexpr TColor kCheck[4] = {skintest::Rgb(0x91, 0x21, 0x01), skintest::Rgb(0x91, 0x22, 0x02),
                                     skintest::Rgb(0x91, 0x23, 0x03), skintest::Rgb(0x91, 0x24, 0x04)};
inline constexpr TColor kRadio[4] = {skintest::Rgb(0x92, 0x31, 0x01), skintest::Rgb(0x92, 0x32, 0x02),
                                     skintest::Rgb(0x92, 0x33, 0x03), skintest::Rgb(0x92, 0x34, 0x04)};
// The progress bar's empty and filled frames.
inline constexpr TColor kProgress[2] = {skintest::Rgb(0x93, 0x41, 0x01), skintest::Rgb(0x93, 0x42, 0x02)};
// Scroll bars: the 23 frames of the "Scrollbar" strip (arrows from frames 1, 5, 9 and 13, grips
// at 17 and 20), the tracks' 4 frames and the thumbs' 3.
inline constexpr int kStrip = 16, kTrackLen = 20;
constexpr TColor ScrollFrame(int frame) { return skintest::Rgb(0x94, 0x40 + frame, frame); }
constexpr TColor HorzTrack(int frame) { return skintest::Rgb(0x95, 0x50 + frame, frame); }
constexpr TColor VertTrack(int frame) { return skintest::Rgb(0x96, 0x60 + frame, frame); }
constexpr TColor HorzThumb(int frame) { return skintest::Rgb(0x97, 0x70 + frame, frame); }
constexpr TColor VertThumb(int frame) { return skintest::Rgb(0x98, 0x80 + frame, frame); }
// Combo boxes: the button's 4 frames (their leftmost 3 columns in kComboMark, so that a
// mirrored button shows the mark at its right), the sunken edge's 4 and the glyph's 5.
inline constexpr int kComboButtonW = 19, kComboH = 21, kComboMarkW = 3, kExtraW = 7, kExtraH = 5;
inline constexpr TColor kComboMark = skintest::Rgb(0x99, 0x01, 0x99);
constexpr TColor ComboButtonFrame(int frame) { return skintest::Rgb(0x9A, 0x10 + frame, frame); }
constexpr TColor SunkFrame(int frame) { return skintest::Rgb(0x9B, 0x20 + frame, frame); }
constexpr TColor ExtraFrame(int frame) { return skintest::Rgb(0x9C, 0x30 + frame, frame); }
// Menus: the popup background (its 3-pixel frame and inside), the items' frames (normal is all
// magenta, so the background shows through; the separator's line of 2 rows near its bottom,
// with ends of their own; selected), the menu bar's active and inactive frames, and the
// skin's menu colours.
inline constexpr TColor kMenuEdge = skintest::Rgb(0xC1, 0x01, 0x11), kMenuInside = skintest::Rgb(0xC2, 0x02, 0x12);
inline constexpr TColor kItemSelected = skintest::Rgb(0xC3, 0x03, 0x13);
inline constexpr TColor kSeparator = skintest::Rgb(0xC4, 0x04, 0x14), kSeparatorEnd = skintest::Rgb(0xC5, 0x05, 0x15);
inline constexpr TColor kMenuBar[2] = {skintest::Rgb(0xC6, 0x06, 0x16), skintest::Rgb(0xC7, 0x07, 0x17)};
inline constexpr TColor kMenuColour = skintest::Rgb(0xD1, 0xD2, 0x21), kMenuText = skintest::Rgb(0x01, 0x02, 0x61);
inline constexpr TColor kHilight = skintest::Rgb(0xD3, 0x04, 0x23), kHilightText = skintest::Rgb(0xF1, 0xF1, 0x62);
inline constexpr TColor kMenuBarText = skintest::Rgb(0x05, 0x06, 0x63);
// The item frames are 20 x 20 with margins of 2; the separator's line is on rows 14 and 15.
inline constexpr int kItemFrame = 20, kItemMargin = 2, kSeparatorRow = 14;
// Tabs' frames (frame 1 every tab, frame 2 the current one; 3 to 5 unused), the pane, and the
// tab texts' colours for frames 1 and 2.
inline constexpr TColor kTab[5] = {skintest::Rgb(0x94, 0x51, 0x01), skintest::Rgb(0x94, 0x52, 0x02),
                                   skintest::Rgb(0x94, 0x53, 0x03), skintest::Rgb(0x94, 0x54, 0x04),
                                   skintest::Rgb(0x94, 0x55, 0x05)};
inline constexpr TColor kPane = skintest::Rgb(0x95, 0x61, 0x01);
inline constexpr TColor kTabText[2] = {skintest::Rgb(0x01, 0x02, 0xE3), skintest::Rgb(0x04, 0xE5, 0x06)};
// The track bar's channel pictures (horizontal, vertical) and the thumb's five frames.
inline constexpr TColor kTrack[2] = {skintest::Rgb(0x96, 0x71, 0x01), skintest::Rgb(0x96, 0x72, 0x02)};
inline constexpr TColor kThumb[5] = {skintest::Rgb(0x97, 0x81, 0x01), skintest::Rgb(0x97, 0x82, 0x02),
                                     skintest::Rgb(0x97, 0x83, 0x03), skintest::Rgb(0x97, 0x84, 0x04),
                                     skintest::Rgb(0x97, 0x85, 0x05)};
// Status-bar bevels (lowered, raised, none) and header frames (normal, hot, 3 to 5 unused).
inline constexpr TColor kEdge[3] = {skintest::Rgb(0x98, 0x91, 0x01), skintest::Rgb(0x98, 0x92, 0x02),
                                    skintest::Rgb(0x98, 0x93, 0x03)};
inline constexpr TColor kHeader[5] = {skintest::Rgb(0x99, 0xA1, 0x01), skintest::Rgb(0x99, 0xA2, 0x02),
                                      skintest::Rgb(0x99, 0xA3, 0x03), skintest::Rgb(0x99, 0xA4, 0x04),
                                      skintest::Rgb(0x99, 0xA5, 0x05)};
inline constexpr int kPushW = 24, kPushH = 16, kBox = 13, kProgressW = 20, kProgressH = 10;

// Geometry: borders 4 wide, caption 24 high, buttons 20 x 16 at 4 from the top, their left
// edges 24 (close), 46 (maximise / restore) and 68 (minimise) from the window's right edge.
inline constexpr int kBorder = 4, kCaption = 24, kButtonW = 20, kButtonH = 16, kButtonTop = 4;
inline constexpr int kCloseX = 24, kMaxX = 46, kMinX = 68;

// The packed flat skin; `shift` adds to every red value of the borders (a second skin that
// looks otherwise the same).
std::string FlatSkin(int shift = 0);
// The flat skin whose face colour and check-box, radio, tab and pane pictures have `shift` added
// to their red values (a second skin whose controls look otherwise the same).
std::string RecolouredFlatSkin(int shift);
// Both: borders shifted by `shift`, controls by `controlShift`.
std::string FlatSkinOf(int shift, int controlShift);
// The border colour of a flat skin made with `shift`.
TColor Shifted(TColor c, int shift);

}  // namespace flatskin
