// Containers and plain areas: panels only take the skin's face colour; dialog areas and tool
// bars (TSkinBoxH) erase with it; size grips (TSkinSizer) are filled with it; group boxes get
// a rounded frame in the skin's "ButtonShadow" colour with the caption over it.
#pragma once

#include "skin/controls/skin_control.h"

// A wrapper that only recolours a container (panels): the skin's face colour while attached.
class TSkinBox : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinBox"; }
  bool IsContainer() const override { return true; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
};

class TSkinBoxH : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinBoxH"; }
  bool BeforeMessage(TMessage& message) override;
};

class TSkinSizer : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinSizer"; }
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;
};

class TSkinGroupBox : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinGroupBox"; }
  bool IsContainer() const override { return true; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  bool BeforeMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

 private:
  bool libraryGroup_ = false;
};
