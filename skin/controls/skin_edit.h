// Edits get a skinned border: the skin's "ButtonShadow" colour outside, two white rings inside;
// the text area stays native.
#pragma once

#include "skin/controls/skin_control.h"

class TSkinEdit : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinEdit"; }
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

 private:
  void PrintBorder(HDC dc, const RECT& rect);
};
