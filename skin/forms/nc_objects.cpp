#include "skin/forms/nc_objects.h"

#include "skin/forms/win_skin_form.h"

void TNCObject::MouseDown() {
  if (Owner->HotElement && Owner->HotElement != this) Owner->HotElement->MouseLeave();
  if (!Visible) return;
  Owner->SetHotElement(this);
  State = 2;
  Paint();
}

void TNCObject::MouseUp() {
  if (!Visible) return;
  State = 3;
  Paint();
}

void TNCObject::MouseEnter() {
  if (Owner->HotElement == this) return;
  if (Owner->HotElement) Owner->HotElement->MouseLeave();
  if (!Visible) return;
  Owner->SetHotElement(this);
  State = 3;
  Paint();
}

void TNCObject::MouseLeave() {
  if (!Visible) return;
  Owner->SetHotElement(nullptr);
  State = 1;
  Paint();
}

void TWinSysButton::Paint() { Owner->PaintSysButton(*this, State); }
