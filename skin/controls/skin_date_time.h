// Date-time pickers: the picker's frame in the skin's "ButtonShadow" colour with a white ring
// inside, and the engine's own arrow button (TArrowButton) over the picker's drop-down button,
// drawn from the skin's combo arrow picture; a press on it is passed on to the picker, which
// opens its drop-down.
#pragma once

#include <memory>

#include "skin/controls/skin_control.h"
#include "skin/controls/skin_own_window.h"

class TSkinDateTime;

// A child window of the host (no tab stop) as wide as a horizontal scroll bar's arrow, at the
// host's right end (left end for WS_EX_LEFTSCROLLBAR hosts).
class TArrowButton : public TSkinOwnWindow {
 public:
  TArrowButton(TSkinControl* skin, TControl* hostControl, HWND host);

  // Where the button stands in a host of this width and extended style.
  static RECT Place(int hostWidth, DWORD hostExStyle);
  // Takes its place for the host's present width.
  void Reposition();

  TSkinControl* Skin;
  TControl* HostControl;
  HWND HostHandle;
  int ButtonSize;
  uint8_t MouseState = 0;  // bit 0 hot

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
};

class TSkinDateTime : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinDateTime"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  std::unique_ptr<TArrowButton> ArrowButton;
};
