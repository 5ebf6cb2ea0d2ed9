// Combo boxes under the skin: TSkinComBox draws the frame and the drop-down button from the
// skin's "SunkEdge", "ComboButton" and "ExtraImages" elements and lights the button under the
// mouse; TComboxScrollBar draws the vertical scroll bar of the drop-down list from the skin's
// scroll-bar images and drags its thumb itself. The text areas stay native.
#pragma once

#include <memory>

#include "platform/user/scroll.h"
#include "skin/controls/skin_control.h"

class TSkinScrollbarH;

// The combo's state for its images: 1 normal, 2 pressed, 3 disabled, 4 hot or focused.
int ComboButtonState(bool focused, uint8_t mouse, bool disabled);
// The flat style's state: focus, enabled or disabled first, then pressed or hot.
int ComboFlatState(bool focused, uint8_t mouse, bool disabled);

class TComboxScrollBar : public TSkinControl {
 public:
  TComboxScrollBar();
  const char* KindName() const override { return "TComboxScrollBar"; }
  bool BeforeMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  int ArrowSize = 0;
  int TrackStart = 0, TrackEnd = 0, ThumbStart = 0, ThumbEnd = 0;
  bool Vertical = true;

 private:
  // True when the press was on the thumb and the drag ran.
  bool DragThumb(POINT press);
  TBitmap buffer_;
};

class TSkinComBox : public TSkinControl {
 public:
  TSkinComBox();
  ~TSkinComBox() override;
  const char* KindName() const override { return "TSkinComBox"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) override;
  void RestoreColor() override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

  LONG_PTR ComboStyle = 0;
  LONG_PTR ExStyle = 0;
  HWND ListHandle = nullptr;
  HWND EditHandle = nullptr;
  bool DroppedDown = false;
  std::unique_ptr<TSkinScrollbarH> ListSkin;
  std::unique_ptr<TComboxScrollBar> ListScrollSkin;
  COMBOBOXINFO ComboInfo{};
  RECT ButtonRect{0, 0, 0, 0};

 private:
  void PaintFramed(HDC dc, int w, int h, int state, bool left);
  void PaintFlat(HDC dc, const RECT& rect, bool left);
};
