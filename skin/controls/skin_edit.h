// Edits get a skinned border: the skin's "ButtonShadow" colour outside, two white rings inside;
// the text area stays native, but for its selected text, drawn again over the edit's own in
// the skin's highlight colours (HilightText on Hilight), as a skinned list's selected row.
#pragma once

#include <memory>

#include "skin/controls/skin_control.h"
#include "skin/controls/skin_up_down.h"

class TSkinEdit : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinEdit"; }
  void AfterMessage(TMessage& message) override;
  void PaintControl(HDC dc, const RECT& rect) override;

 private:
  void PrintBorder(HDC dc, const RECT& rect);
  void PaintSelection();
  // An up-down child gets its own wrapper the first time the edit is painted.
  void SkinUpDownChild();
  std::unique_ptr<TSkinUpDown> upDown_;
};
