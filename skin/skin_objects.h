// The records of the skin model: one per skinned element, read from the skin INI. Each holds
// a bitmap of equal frames side by side, nine-part margins, a tile flag, a transparency flag
// (magenta is transparent) and text colours; the kinds below add what their elements need.
#pragma once

#include <algorithm>
#include <string>

#include "platform/gdi/bitmap.h"
#include "skin/forms/skin_draw.h"

class TDataSkinObject {
 public:
  explicit TDataSkinObject(std::string name = {}) : Name(std::move(name)) {}
  virtual ~TDataSkinObject() = default;
  TDataSkinObject(const TDataSkinObject&) = delete;
  TDataSkinObject& operator=(const TDataSkinObject&) = delete;

  TSkinMargins Margins() const { return {LeftWidth, TopHeight, RightWidth, BottomHeight}; }
  // The frames the painting divides the picture into: a skin may state none or fewer, and its
  // picture is then one frame.
  int Frames() const { return std::max(Frame, 1); }

  int LeftWidth = 0, TopHeight = 0, RightWidth = 0, BottomHeight = 0;
  TBitmap Bitmap;  // the frames, side by side
  int Trans = 0;   // 1: magenta pixels are transparent
  int Tile = 0;    // 1: the middle parts are tiled, 0: stretched
  std::string Name;
  int Frame = 0;   // number of frames in Bitmap
  int Style = 0;
  int NormalColour = -1, MouseOverColour = -1, PressedColour = -1;
  TColor NormalColour2 = clBtnText, MouseOverColour2 = clBtnText, PressedColour2 = clBtnText;
};

// Elements with a second picture (frame borders, tabs, combo buttons, up-down buttons).
class TDataSkinBorder : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  TBitmap Bitmap2;
};

// The push-button element, with the check-box and radio-button pictures.
class TDataSkinButton : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  TBitmap CheckBitmap, RadioBitmap;
  int RadioButtonFrame = 0, CheckButtonFrame = 0;
  bool HasNormalColour2 = false, HasMouseOverColour2 = false, HasPressedColour2 = false;
};

// The caption text: its background picture, placement and colours.
class TDataSkinTitle : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  int TextAlignment = 0;
  int Textbackground = 0;
  int FontHeight = 14;
  int TXTBackleft = 0, TXTBackRight = 0;
  TColor ActiveText = clNone, InActiveText = clNone;
};

// One caption button.
class TDataSkinSysButton : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  int Action = 0;
  int Align = 0;
  int Xcoord = 0, Ycoord = 0;
  int CombineOp = -1;
  int Visibility = 0, Visibility1 = 0;
};

// The group-box caption.
class TDataSkinBoxLabel : public TDataSkinObject {
 public:
  using TDataSkinObject::TDataSkinObject;
  int BackgroundLeftShift = 0, BackgroundRightShift = 0;
  int BackgroundAlignment = 0;
};
