// A shown form for the tests of the common controls' window classes: raw controls made on it,
// clicks at points of them, and the form's messages offered to the test before the form
// handles them (to log or answer the controls' notifications).
#pragma once

#include "platform/forms/form.h"
#include "platform/forms/win/common_controls.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {

class CommonControlsTest : public FormsTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  HWND Make(const char16_t* cls, DWORD style, int x, int y, int w, int h);
  void ClickWindow(HWND h, int x, int y);
  // True when the test answered the message (its result set); the form then never sees it.
  virtual bool ParentMessage(TMessage& message) { return false; }

  TForm* form = nullptr;

 private:
  TWndMethod oldProc_;
};

}  // namespace formstest
