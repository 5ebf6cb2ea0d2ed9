// Labels (TLabel over the "Static" class with SS_NOTIFY, so that the label takes mouse
// events): text in the parent's colour, optionally sized to its text (AutoSize) and wrapped
// (WordWrap). Labels never take the focus; a label's access key focuses its FocusControl.
#pragma once

#include "platform/forms/controls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
const TEnumInfo& TextLayoutEnumInfo();

class TCustomLabel : public TWinControl {
 public:
  explicit TCustomLabel(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; }
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l) { layout_ = l; }
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* control);
  bool CanFocus() const override { return false; }
  void Loaded() override;
  // Sizes the label to its text (AutoSize); a wrapping label keeps its width.
  void AdjustBounds();

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void FontChanged() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  DWORD StaticStyle() const;
  TWinControl* focusControl_ = nullptr;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
  TTextLayout layout_ = tlTop;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
