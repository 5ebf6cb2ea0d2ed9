// The shared skinned form fixture with what the tests of one control family each add: raw
// windows made on the form and wrappers attached to them, and pixels read back at points of a
// window.
#pragma once

#include <memory>
#include <string>

#include "platform/forms/form.h"
#include "platform/user/window.h"
#include "skin/controls/skin_control.h"
#include "skin/forms/win_skin_form.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skin_test_support.h"

namespace skintest {

class SkinnedForm : public SkinnedFormFixture {
 protected:
  // Shows a form of the given description (a plain 400 x 300 form by default), skinned.
  void Show(const char* description = nullptr);
  HWND Make(const char16_t* cls, DWORD style, int x, int y, int w, int h, int id, const char16_t* text = u"");
  // A wrapper of type T attached to a raw window, held by the form wrapper.
  template <class T>
  T* Attach(HWND h) {
    T* raw = new T();
    Wrapper()->AddControl(raw);
    raw->AttachWindow(h, sd.get(), Wrapper(), 0);
    return raw;
  }
  // The screen's colour at a point of a window (window coordinates).
  TColor AtWindow(HWND h, int x, int y);
  // How many pixels of the rectangle (window coordinates) have the colour.
  int CountColour(HWND h, const RECT& r, TColor c);
  void MoveTo(HWND h, int x, int y);
  // The same at a point of a control's client area (also of one without a window).
  TColor AtWindow(TControl* c, int x, int y);
  void MoveTo(TControl* c, int x, int y);
  void ClickWindow(HWND h, int x, int y);
  template <class T>
  T* Find(const char* name) {
    return dynamic_cast<T*>(form->FindComponent(name));
  }
};

}  // namespace skintest
