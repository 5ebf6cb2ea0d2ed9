#include "platform/forms/bit_btn.h"

#include "platform/forms/foreign_classes.h"
#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

template <class T>
TClassBuilder<T>& GlyphProps(TClassBuilder<T>& b) {
  return b.Prop("Glyph", &TGlyphHolder::Glyph, &TGlyphHolder::SetGlyph)
      .Prop("NumGlyphs", &TGlyphHolder::NumGlyphs, &TGlyphHolder::SetNumGlyphs, {.Default = 1})
      .Prop("Layout", &TGlyphHolder::Layout, &TGlyphHolder::SetLayout,
            {.Enum = &ButtonLayoutEnumInfo(), .Default = blGlyphLeft})
      .Prop("Margin", &TGlyphHolder::Margin, &TGlyphHolder::SetMargin, {.Default = -1})
      .Prop("Spacing", &TGlyphHolder::Spacing, &TGlyphHolder::SetSpacing, {.Default = 4});
}

// Disabled glyphs without a frame of their own: the first frame's opaque pixels as a flat
// shadow.
void Shadowed(TBitmap& frame) {
  if (frame.Empty()) return;
  const TColor key = frame.Canvas().Pixel(0, frame.Height() - 1);
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x)
      if (frame.Canvas().Pixel(x, y) != key) frame.Canvas().SetPixel(x, y, TColor(ColorToRGB(clBtnShadow)));
}

}  // namespace

void TGlyphHolder::SetGlyph(TBitmap* b) {
  if (b) glyph_.Assign(*b);
}

void TGlyphHolder::PaintGlyphButton(HDC dc, const RECT& client, const std::u16string& caption, HFONT font,
                                    int frame, bool enabled, bool pressed, bool face) const {
  if (face) {
    RECT edge = client;
    DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  HGDIOBJ oldFont = SelectObject(dc, stdctl::FontOr(font));
  RECT measured{client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
  DrawTextW(dc, caption.data(), int(caption.size()), &measured, DT_CALCRECT | DT_WORDBREAK);
  TBitmap piece;
  const bool hasGlyph = !glyph_.Empty();
  if (hasGlyph) {
    const bool lacking = frame > numGlyphs_;
    GlyphFrame(glyph_, numGlyphs_, frame, piece);
    if (lacking && !enabled) Shadowed(piece);
  }
  const SIZE g = hasGlyph ? SIZE{piece.Width(), piece.Height()} : SIZE{0, 0};
  const SIZE t = caption.empty() ? SIZE{0, 0} : SIZE{measured.right - measured.left, measured.bottom - measured.top};
  TGlyphPlace p = PlaceGlyph(client, g, t, layout_, margin_, spacing_, false);
  if (pressed) {
    OffsetRect(p.Text, 1, 1);
    ++p.Glyph.x;
    ++p.Glyph.y;
  }
  if (hasGlyph) {
    piece.SetTransparent(true);
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Draw(p.Glyph.x, p.Glyph.y, piece);
    canvas.SetHandle(nullptr);
  }
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  stdctl::DrawControlText(dc, caption, p.Text, DT_CENTER | DT_WORDBREAK, enabled);
  SelectObject(dc, oldFont);
}

// ---- TBitBtn ----

const TClassInfo& TBitBtn::StaticClassInfo() {
  static const TClassInfo info = [] {
    TClassBuilder<TBitBtn> b("TBitBtn", &TButton::StaticClassInfo());
    GlyphProps(b);
    return b.Creator([](TComponent* o) { return new TBitBtn(o); }).Build();
  }();
  return info;
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::WndProc(TMessage& m) {
  if (m.Msg != WM_PAINT || !HandleAllocated()) {
    TButton::WndProc(m);
    return;
  }
  HWND h = HandleIfAllocated();
  PAINTSTRUCT ps{};
  HDC dc = m.WParam ? HDC(m.WParam) : BeginPaint(h, &ps);
  RECT r{};
  GetClientRect(h, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const LRESULT state = SendMessageW(h, BM_GETSTATE, 0, 0);
  const bool pressed = (state & BST_PUSHED) != 0, enabled = IsWindowEnabled(h);
  PaintGlyphButton(dc, r, GetTextW(), Font()->Handle(), !enabled ? 2 : pressed ? 3 : 1, enabled, pressed, true);
  if (state & BST_FOCUS) {
    RECT f = r;
    InflateRect(f, -4, -4);
    DrawFocusRect(dc, &f);
  }
  if (!m.WParam) EndPaint(h, &ps);
  m.Result = 0;
}

// ---- TSpeedButton ----

const TClassInfo& TSpeedButton::StaticClassInfo() {
  static const TClassInfo info = [] {
    TClassBuilder<TSpeedButton> b("TSpeedButton", &TGraphicControl::StaticClassInfo());
    GlyphProps(b);
    return b.Prop("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, {.Default = 0})
        .Prop("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, {.Default = 0})
        .Prop("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, {.Default = 0})
        .Prop("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, {.Default = 0})
        .Creator([](TComponent* o) { return new TSpeedButton(o); })
        .Build();
  }();
  return info;
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
  width_ = 23;
  height_ = 22;
  color_ = clBtnFace;
  parentColor_ = true;
}

void TSpeedButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TSpeedButton::SetDown(bool v) {
  if (v == down_) return;
  if (!v && groupIndex_ != 0 && !allowAllUp_) return;  // one button of the group stays down
  down_ = v;
  if (v && groupIndex_ != 0 && Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
          other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
        other->down_ = false;
        other->Invalidate();
      }
  Invalidate();
}

void TSpeedButton::Click() {
  if (groupIndex_ != 0) SetDown(allowAllUp_ ? !down_ : true);
  TGraphicControl::Click();
}

void TSpeedButton::Paint() {
  HDC dc = Canvas()->Handle();
  RECT r{0, 0, Width(), Height()};
  HBRUSH back = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(dc, &r, back);
  DeleteObject(back);
  const bool sunk = pressed_ || down_;
  const int frame = !Enabled() ? 2 : down_ ? 4 : pressed_ ? 3 : 1;
  PaintGlyphButton(dc, r, GetTextW(), Font()->Handle(), frame, Enabled(), sunk, !flat_ || hot_ || sunk);
}

void TSpeedButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!Enabled()) break;
      pressed_ = true;
      Invalidate();
      break;
    case WM_LBUTTONUP:
      if (pressed_) {
        pressed_ = false;
        Invalidate();
        const POINT p{short(LOWORD(m.LParam)), short(HIWORD(m.LParam))};
        if (p.x >= 0 && p.y >= 0 && p.x < Width() && p.y < Height()) Click();
      }
      break;
    case CM_MOUSEENTER: case CM_MOUSELEAVE:
      hot_ = m.Msg == CM_MOUSEENTER;
      if (flat_) Invalidate();
      break;
    default: break;
  }
  TGraphicControl::WndProc(m);
}
