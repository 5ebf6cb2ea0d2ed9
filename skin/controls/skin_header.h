// Header bars: every heading drawn from the skin's "Headerbar" element (frame 2 under the mouse,
// frame 1 otherwise) with its image and text in the heading's alignment; the area right of the
// last heading gets frame 1.
#pragma once

#include <vector>

#include "skin/controls/skin_control.h"

class TSkinHeader : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinHeader"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) override;
  bool BeforeMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  std::vector<RECT> ItemRects;  // each heading inset by 3 horizontally, as last painted
  int HotItem = -1;

 private:
  bool Skinned() const;
  TBitmap buffer_;
};
