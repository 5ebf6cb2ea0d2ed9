// The screen object: the program's forms, the active form and control, the screen cursor
// (the hourglass during long work), the screen size and work area, and the hint font.
#pragma once

#include <vector>

#include "platform/forms/controls.h"

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const;
  TCustomForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const;

  // Setting a cursor other than crDefault shows it over every window of the program until
  // crDefault is set again.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  HCURSOR CursorHandle(TCursor cursor) const;

  int Width() const;
  int Height() const;
  // The part of the screen the desktop's panels leave to windows.
  TRect WorkAreaRect() const;
  TFont* HintFont() { return &hintFont_; }
  TFont* MessageFont() { return &messageFont_; }

  // Kept by the forms themselves.
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void SetActiveForm(TCustomForm* form);

 private:
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TCursor cursor_ = crDefault;
  TFont hintFont_;
  TFont messageFont_;
};

// The screen object of the program (module-level, as in the class library).
extern TScreen* Screen;
