#include "skin/controls/skin_bit_button.h"

#include <algorithm>

#include "platform/forms/graphic_control.h"
#include "platform/forms/image_list.h"
#include "platform/forms/rtti.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/img_util.h"
#include "skin/skin_data.h"
#include "skin/forms/win_skin_form.h"

int BitButtonGlyphFrame(int state) {
  if (state == kButtonPressed) return 3;
  return state == kButtonDisabled ? 2 : 1;
}

int SpeedButtonGlyphFrame(int state, bool down) {
  if (down) return 4;
  return BitButtonGlyphFrame(state);
}

TButtonLayout GlyphLayoutOf(const std::string& text) {
  const std::string lower = LowerCaseAscii(text);
  if (lower == "blglyphright") return blGlyphRight;
  if (lower == "blglyphtop") return blGlyphTop;
  if (lower == "blglyphbottom") return blGlyphBottom;
  return blGlyphLeft;
}

bool TSkinBitButton::TakeGlyph(int frame, bool enabled, TBitmap& out, bool& fromList, int& listIndex) {
  const TObjectRef ref(Control);
  fromList = false;
  if (!GlyphProperty.empty()) {
    TBitmap* g = GetObjectPropAs<TBitmap>(ref, GlyphProperty);
    if (!g || g->Empty()) return false;
    out.Assign(*g);
    return true;
  }
  TBitmap* glyph = GetObjectPropAs<TBitmap>(ref, "Glyph");
  if (glyph && !glyph->Empty()) {
    const int count = std::max<int>(int(OrdProp("NumGlyphs")), 1);
    GlyphFrame(*glyph, count, frame, out);
    // A disabled glyph is greyed, also where the strip had no disabled frame.
    if (frame == 2) GrayscaleBitmap(out);
    out.SetTransparent(true);
    return true;
  }
  auto* images = GetObjectPropAs<TCustomImageList>(ref, "Images");
  listIndex = int(OrdProp("ImageIndex"));
  if (!enabled && HasProp("DisabledIndex") && OrdProp("DisabledIndex") != -1) listIndex = int(OrdProp("DisabledIndex"));
  if (!images || listIndex < 0) return false;
  out.SetSize(images->Width(), images->Height());
  fromList = true;
  return true;
}

void TSkinBitButton::PaintGlyphButton(HDC dc, const RECT& rect, int state, int glyphFrame, bool element) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  HDC buffer = PaintFace(rect, state, element);
  PrepareText(state);
  const HGDIOBJ oldFont = SelectText(buffer);
  const std::u16string text = ButtonCaptionText(Caption);
  RECT measured{2, 2, w - 2, h - 2};
  const UINT flags = TextFlags(DT_WORDBREAK);
  DrawTextW(buffer, text.data(), int(text.size()), &measured, flags | DT_CALCRECT);
  TBitmap glyph;
  bool fromList = false;
  int listIndex = -1;
  const bool hasGlyph = TakeGlyph(glyphFrame, IsEnabled, glyph, fromList, listIndex);
  const SIZE g = hasGlyph ? SIZE{glyph.Width(), glyph.Height()} : SIZE{0, 0};
  const SIZE t = text.empty() ? SIZE{0, 0} : SIZE{measured.right - measured.left, measured.bottom - measured.top};
  const bool centred = LowerCaseAscii(StrProp("Alignment")) == "tacenter";
  const TGlyphPlace p = PlaceGlyph(RECT{0, 0, w, h}, g, t, GlyphLayoutOf(StrProp("Layout")),
                                   HasProp("Margin") ? int(OrdProp("Margin")) : -1,
                                   HasProp("Spacing") ? int(OrdProp("Spacing")) : 4, centred);
  TCanvas& canvas = Buffer.Canvas();
  if (hasGlyph && fromList) {
    GetObjectPropAs<TCustomImageList>(TObjectRef(Control), "Images")->Draw(canvas, p.Glyph.x, p.Glyph.y, listIndex,
                                                                        IsEnabled || OrdProp("DisabledIndex") > -1);
  } else if (hasGlyph) {
    canvas.Draw(p.Glyph.x, p.Glyph.y, glyph);
  }
  RECT placed = p.Text;
  DrawTextW(buffer, text.data(), int(text.size()), &placed, flags | DT_CENTER);
  if (IsFocused && !InSkinOptions(SkinData->Options(), xoNoFocusRect)) {
    RECT focus = p.Text;
    InflateRect(focus, 2, 2);
    DrawFocusRect(buffer, &focus);
  }
  SelectObject(buffer, oldFont);
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

void TSkinBitButton::PaintControl(HDC dc, const RECT& rect) {
  if (!Element() || rect.right <= rect.left || rect.bottom <= rect.top) return;
  IsFocused = Handle && GetFocus() == Handle;
  IsEnabled = !(Style() & WS_DISABLED);
  const bool isDefault = GlyphProperty.empty() && LowerCaseAscii(StrProp("Default")) == "true";
  Caption = ReadCaption();
  const int state = ButtonState(IsFocused, isDefault, MouseState, IsEnabled);
  PaintGlyphButton(dc, rect, state, BitButtonGlyphFrame(state), true);
}

// ---- TSkinSpeedButton ----

void TSkinSpeedButton::AttachGraphic(TGraphicControl* control, TWinSkinForm* formSkin, TSkinData* skinData,
                                     int attachData) {
  AttachGraphicControl(control, formSkin, skinData, attachData);
  ParentBackground = (control && control->Tag() == 5555) || InSkinOptions(skinData->Options(), xoTransparent);
}

bool TSkinSpeedButton::BeforeMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      if (GraphicControl) {
        if (!message.WParam) return true;
        TCanvas* canvas = GraphicControl->Canvas();
        canvas->SetHandle(HDC(message.WParam));
        PaintControl(canvas->Handle(), RECT{0, 0, GraphicControl->Width(), GraphicControl->Height()});
        canvas->SetHandle(nullptr);
        message.Result = 1;
        return false;
      }
      PaintMessage(message);
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The speed button handles its own press.
      CallOldProc(message);
      MouseState |= kMousePressed;
      PaintWindow(nullptr);
      return false;
    case WM_LBUTTONUP: return true;
    case WM_NCDESTROY:
      TSkinButton::BeforeMessage(message);
      GiveGraphicWindowProcBack();
      return false;
    default: return TSkinButton::BeforeMessage(message);
  }
}

void TSkinSpeedButton::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
      MouseState |= kMouseHot;
      if (FormSkin) FormSkin->SetHotTool(this);
      PaintWindow(nullptr);
      break;
    case CM_MOUSELEAVE:
      MouseState &= uint8_t(~(kMouseHot | kMousePressed));
      if (FormSkin) FormSkin->ForgetHotTool(this);
      if (Control && Control->Visible()) PaintWindow(nullptr);
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (message.WParam != VK_SPACE) break;
      if (message.Msg == WM_KEYDOWN)
        MouseState |= kMousePressed;
      else
        MouseState &= uint8_t(~kMousePressed);
      PaintWindow(nullptr);
      break;
    case WM_LBUTTONUP:
      MouseState &= uint8_t(~kMousePressed);
      PaintWindow(nullptr);
      break;
    case CM_RELEASE:
      // The control is let go of: its own WindowProc again, and this wrapper, which no longer
      // hears of its end, stops using it.
      if (!GraphicControl) break;
      GiveGraphicWindowProcBack();
      Active = false;
      AttachState = kAttachDestroyed;
      MouseState = 0;
      if (FormSkin) FormSkin->ForgetHotTool(this);
      break;
    case WM_ENABLE: case CM_FOCUSCHANGED: case CM_ENABLEDCHANGED: case WM_MOUSEMOVE: break;
    default: TSkinButton::AfterMessage(message); break;
  }
}

void TSkinSpeedButton::PaintWindow(HDC dc) {
  if (!GraphicControl) {
    TSkinBitButton::PaintWindow(dc);
    return;
  }
  const RECT r{0, 0, GraphicControl->Width(), GraphicControl->Height()};
  if (dc) {
    PaintControl(dc, r);
    return;
  }
  TCanvas* canvas = GraphicControl->AcquireCanvas();
  if (!canvas) return;
  PaintControl(canvas->Handle(), r);
  GraphicControl->ReleaseCanvas();
}

void TSkinSpeedButton::PaintControl(HDC dc, const RECT& rect) {
  if (Painting || !Element() || rect.right <= rect.left || rect.bottom <= rect.top) return;
  Painting = true;
  IsFocused = false;
  IsEnabled = LowerCaseAscii(StrProp("Enabled")) == "true";
  Caption = ReadCaption();
  const bool down = LowerCaseAscii(StrProp("Down")) == "true";
  int state = kButtonNormal;
  if (MouseState & kMousePressed)
    state = kButtonPressed;
  else if (MouseState & kMouseHot)
    state = kButtonHot;
  if (!IsEnabled) state = kButtonDisabled;
  if (down) state = kButtonPressed;
  const bool flat = LowerCaseAscii(StrProp("Flat")) == "true";
  PaintGlyphButton(dc, rect, state, SpeedButtonGlyphFrame(state, down),
                   !flat || state == kButtonPressed || state == kButtonHot);
  Painting = false;
}
