// The wrappers that cover scroll bars with TWScrollbar windows: TSkinScrollbar for class-library
// controls with scroll bars (memos, list boxes, grids), TSkinListView for list views (and their
// column header), TSkinScrollbarH for raw windows with scroll bars, and TSkinScControl for a
// class-library scroll bar control.
#pragma once

#include "platform/forms/classes.h"
#include "skin/controls/skin_control.h"
#include "skin/controls/skin_wscrollbar.h"

// The form wrapper's paint-the-border-into-a-DC request (answered with kPaintDCMagic).
inline constexpr UINT CM_SKINPAINTBORDER = 48203;

class TSkinScrollbar : public TSkinControl {
 public:
  ~TSkinScrollbar() override;
  const char* KindName() const override { return "TSkinScrollbar"; }
  // A scrolling control is attached through AttachScroll.
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  virtual void AttachScroll(TControl* control, TSkinData* skinData, TWinSkinForm* formSkin, int attachData);
  bool BeforeMessage(TMessage& message) override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;
  void ApplyColor() override;
  void RestoreColor() override;

  TComponentPtr<TWScrollbar> HorzBar, VertBar;
  bool DrawBorder = false;

 private:
  void DrawBorderInto(HDC dc);
  bool HasFixedColor() const;
  // A list box: its selected row is drawn in the skin's highlight colours.
  bool listBox_ = false;
  TColor savedFixedColor_ = clBtnFace;
  bool fixedColorSaved_ = false;
};

class TSkinListView : public TSkinScrollbar {
 public:
  ~TSkinListView() override;
  const char* KindName() const override { return "TSkinListView"; }
  void AttachScroll(TControl* control, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) override;
  std::unique_ptr<TSkinControl> HeaderSkin;
};

class TSkinScrollbarH : public TSkinControl {
 public:
  ~TSkinScrollbarH() override;
  const char* KindName() const override { return "TSkinScrollbarH"; }
  void AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) override;
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;
  void RestoreColor() override;

  TComponentPtr<TWScrollbar> HorzBar, VertBar;
};

class TSkinScControl : public TSkinControl {
 public:
  ~TSkinScControl() override;
  const char* KindName() const override { return "TSkinScControl"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void AttachScroll(TControl* control, TSkinData* skinData, TWinSkinForm* formSkin, int attachData);
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;
  void RestoreColor() override;

  TComponentPtr<TWScrollbar> Bar;
};

// The corner between a host's two visible bars, in the host's window coordinates (empty unless
// both are shown).
RECT ScrollCorner(HWND host, const TWScrollbar* horz, const TWScrollbar* vert);
