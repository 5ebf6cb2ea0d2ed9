// Tabbed controls drawn from the skin's "Tabs" element (frame 1 for every tab, frame 2 for the
// current one) and its pane picture: TSkinTab for the system tab control, whose strip is always
// composed lying horizontally and turned to the side the tabs stand on, so that tab pictures
// look alike on every side; TSkinTab31 for the class library's tab set, drawn whole; and
// TSkinAdvPage, which hands two tab pictures to a foreign page control that draws itself.
#pragma once

#include <memory>
#include <vector>

#include "platform/user/image_list.h"
#include "skin/controls/skin_control.h"
#include "skin/controls/skin_up_down.h"

// 0 top, 1 bottom, 2 left, 3 right, from TCS_BOTTOM and TCS_VERTICAL.
uint8_t TabPositionOfStyle(LONG_PTR style);
// A tab's rectangle moved into the horizontal strip's coordinates. `stripTop`: the strip's top
// edge for bottom tabs; `stripWidth`: the horizontal buffer's width for left tabs; `right`:
// the control's right edge for right tabs.
RECT TabInStrip(RECT r, uint8_t position, int stripTop, int stripWidth, int right);

class TSkinTab : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinTab"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) override;
  void ApplyColor() override;
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  std::vector<RECT> TabRects;
  uint8_t TabPosition = 0;
  TBitmap TabImage, PaneImage, Buffer;
  std::unique_ptr<TSkinUpDown> UpDownSkin;

 protected:
  void PrepareImages();
  // The up-down child (the scroll arrows of tabs that do not fit) gets its own wrapper.
  void SkinUpDownChild();
  bool HasTabImage() const;

 private:
  void AfterAttach();
  void DrawStrip(HDC dc, const RECT& strip, int current, HIMAGELIST images);
  void DrawPane(HDC dc, const RECT& display);
};

// Tab controls in button style: every tab drawn with the skin's button element (frame 2 the
// current tab, 1 the others) over the strip in the face colour.
class TSkinTabBtn : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinTabBtn"; }
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

 private:
  bool Skinned() const;
  TBitmap buffer_;
};

// A page of a page control: its background in the skin's face colour.
class TSkinTabSheet : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinTabSheet"; }
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;
};

class TSkinTab31 : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinTab31"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void ApplyColor() override;
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  TBitmap TabImage;  // the "Tabs" picture flipped top to bottom

 private:
  void PrepareImages();
  TBitmap buffer_;
};

class TSkinAdvPage : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinAdvPage"; }
  bool IsContainer() const override { return true; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void ApplyColor() override;
  void RestoreColor() override;

  int Mode = 0;  // 4: the control takes the tab pictures
  std::unique_ptr<TSkinUpDown> UpDownSkin;

 private:
  void HandOver();
};
