#include "skin/controls/skin_check_box.h"

#include <algorithm>

#include "platform/forms/win/std_controls.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"

namespace {

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// Class-library notifications that change what a box shows.
constexpr UINT kNotifyA = 0xB01B, kNotifyB = 0xB0D0;

}  // namespace

int CheckBoxFrame(int frames, int check, bool disabled, bool indeterminate) {
  int s = check;
  if (disabled) s += 2;
  if (indeterminate) s = 4;
  if (frames == 12) {
    if (s == 2) s = 5;
    else if (s == 3) s = 4;
    else if (s == 4) s = 8;
    if (indeterminate) s = disabled ? 12 : 9;
  }
  return s;
}

int RadioButtonFrame(int frames, int check, bool disabled) {
  int s = check + (disabled ? 2 : 0);
  if (frames == 8) {
    if (s == 2) s = 5;
    else if (s == 3) s = 4;
    else if (s == 4) s = 8;
  }
  return s;
}

const TBitmap* TSkinCheckBox::Picture() const {
  if (!SkinData || !SkinData->Buttons) return nullptr;
  const TBitmap& b = Radio() ? SkinData->Buttons->RadioBitmap : SkinData->Buttons->CheckBitmap;
  return b.Empty() ? nullptr : &b;
}

int TSkinCheckBox::Frames() const {
  const int n = Radio() ? SkinData->Buttons->RadioButtonFrame : SkinData->Buttons->CheckButtonFrame;
  return std::max(n, 1);
}

void TSkinCheckBox::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                  int attachData) {
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  Skinned = Picture() != nullptr;
  CheckState = 0;
  if (!control) return;
  ParentBackground = control->Tag() == 5555 || InSkinOptions(skinData->Options(), xoTransparent);
}

void TSkinCheckBox::AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  TSkinControl::AttachWindow(handle, skinData, formSkin, attachData);
  Skinned = Picture() != nullptr;
  CheckState = 0;
}

bool TSkinCheckBox::BeforeMessage(TMessage& message) {
  const bool pass = TSkinControl::BeforeMessage(message);
  switch (message.Msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (!Skinned || !pass) return pass;
      PaintMessage(message);
      return false;
    case WM_ERASEBKGND:
      if (!ParentBackground || !pass) return pass;
      EraseBackground(message);
      return false;
    default:
      return pass;
  }
}

void TSkinCheckBox::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case BM_SETCHECK:
      if (!Radio()) CheckState = int(message.WParam) + 1;
      Repaint();
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case kNotifyA: case kNotifyB:
      Repaint();
      break;
    default:
      TSkinControl::AfterMessage(message);
      break;
  }
}

int TSkinCheckBox::FrameNow() {
  int s = 1;
  const auto state = SendMessageW(Handle, BM_GETSTATE, 0, 0);
  if (state & 1) s = 2;
  if (HasProp("State")) {
    const std::string v = LowerCaseAscii(StrProp("State"));
    if (Contains(v, "uncheck")) s = 1;
    else if (Contains(v, "check")) s = 2;
    else if (Contains(v, "gray")) s = 4;
  } else if (HasProp("Checked")) {
    s = LowerCaseAscii(StrProp("Checked")) == "true" ? 2 : 1;
  }
  if (HasProp("DataField") && CheckState == 3) s = 4;
  if (HasProp("DataBinding")) s = 1;
  return CheckBoxFrame(Frames(), s, (Style() & WS_DISABLED) != 0, (state & 2) != 0);
}

int TSkinRadioButton::FrameNow() {
  int s = (SendMessageW(Handle, BM_GETCHECK, 0, 0) & 1) ? 2 : 1;
  if (HasProp("Checked")) s = LowerCaseAscii(StrProp("Checked")) == "true" ? 2 : 1;
  return RadioButtonFrame(Frames(), s, (Style() & WS_DISABLED) != 0);
}

void TSkinCheckBox::PaintBox(HDC dc, const RECT& box, int frame) {
  TBitmap& picture = const_cast<TBitmap&>(*Picture());
  const int frames = Frames();
  // A frame past the strip shows its last frame.
  DrawSkinFrame(dc, box, picture, true, frames, std::clamp(frame, 1, frames));
}

void TSkinCheckBox::PaintControl(HDC dc, const RECT& rect) {
  if (!Picture()) {
    Skinned = false;
    return;
  }
  const TBitmap& picture = *Picture();
  const int boxW = picture.Width() / Frames(), boxH = picture.Height();
  const int top = rect.top + (rect.bottom - rect.top - boxH) / 2;
  const bool rightButton = (Style() & BS_RIGHTBUTTON) != 0;
  RECT box{}, text = rect;
  UINT flags = TextFlags(DT_WORDBREAK | DT_EXPANDTABS);
  if (rightButton) {
    box = RECT{rect.right - boxW, top, rect.right, top + boxH};
    text.right = box.left - 2;
    if (flags & DT_RTLREADING) flags |= DT_RIGHT;
  } else {
    box = RECT{rect.left, top, rect.left + boxW, top + boxH};
    text.left = box.right + 2;
  }
  if (Skinned && !ParentBackground) FillFace(dc, rect);
  PaintBox(dc, box, FrameNow());

  Caption = ReadCaption();
  const std::u16string caption = Utf8ToWide(Caption);
  HFONT font = HFONT(SendMessageW(Handle, WM_GETFONT, 0, 0));
  if (!font && Control) font = Control->Font()->Handle();
  const HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  const bool enabled = !(Style() & WS_DISABLED);
  const TColor colour = Control ? Control->Font()->Color() : SkinData->Colors.ButtonText;
  const COLORREF oldText = SetTextColor(dc, ColorToRGB(enabled ? colour : clBtnShadow));
  const COLORREF oldBack = SetBkColor(dc, ColorToRGB(SkinData->Colors.ButtonFace));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  RECT measured = text;
  DrawTextW(dc, caption.data(), int(caption.size()), &measured, flags | DT_CALCRECT | DT_NOCLIP);
  OffsetRect(text, 0, ((text.bottom - text.top) - (measured.bottom - measured.top)) / 2);
  if (GetFocus() == Handle && !caption.empty()) DrawFocusRectFor(dc, caption, text, flags);
  DrawTextW(dc, caption.data(), int(caption.size()), &text, flags);
  SetBkMode(dc, oldMode);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  if (oldFont) SelectObject(dc, oldFont);
}
