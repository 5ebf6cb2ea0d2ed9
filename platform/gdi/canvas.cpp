#include "platform/gdi/canvas.h"

#include <cmath>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"

// ---- TGraphicsObject ----

TGraphicsObject::~TGraphicsObject() { FreeHandle(); }

void TGraphicsObject::FreeHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TGraphicsObject::Changed() {
  FreeHandle();
  if (OnChange) OnChange();
}

// ---- TPen ----

void TPen::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Changed();
}
void TPen::SetWidth(int w) {
  if (w == width_ || w < 0) return;
  width_ = w;
  Changed();
}
void TPen::SetStyle(TPenStyle s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}
void TPen::SetMode(TPenMode m) {
  if (m == mode_) return;
  mode_ = m;
  Changed();
}

int TPen::Rop2() const {
  static const int codes[] = {R2_BLACK,      R2_WHITE,       R2_NOP,        R2_NOT,         R2_COPYPEN, R2_NOTCOPYPEN,
                              R2_MERGEPENNOT, R2_MASKPENNOT,  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                              R2_MASKPEN,    R2_NOTMASKPEN,  R2_XORPEN,     R2_NOTXORPEN};
  return codes[mode_];
}

HPEN TPen::Handle() {
  if (!handle_) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    handle_ = CreatePen(styles[style_], width_, ColorToRGB(color_));
  }
  return static_cast<HPEN>(handle_);
}

void TPen::Assign(const TPen& o) {
  color_ = o.color_;
  width_ = o.width_;
  style_ = o.style_;
  mode_ = o.mode_;
  Changed();
}

// ---- TBrush ----

TBrush::~TBrush() = default;

void TBrush::SetColor(TColor c) {
  if (c == color_ && style_ != bsClear) return;
  color_ = c;
  if (style_ == bsClear) style_ = bsSolid;  // the class library's rule
  Changed();
}
void TBrush::SetStyle(TBrushStyle s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}
void TBrush::SetBitmap(TBitmap* b) {
  bitmap_ = b;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!handle_) {
    if (bitmap_ && !bitmap_->Empty()) {
      handle_ = CreatePatternBrush(bitmap_->Handle());
    } else if (style_ == bsSolid) {
      handle_ = CreateSolidBrush(ColorToRGB(color_));
    } else if (style_ == bsClear) {
      handle_ = nullptr;
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    } else {
      handle_ = CreateHatchBrush(int(style_) - int(bsHorizontal), ColorToRGB(color_));
    }
  }
  return static_cast<HBRUSH>(handle_);
}

void TBrush::Assign(const TBrush& o) {
  color_ = o.color_;
  style_ = o.style_;
  bitmap_ = o.bitmap_;
  Changed();
}

// ---- TFont ----

TFont::TFont() = default;

void TFont::SetName(const std::string& n) {
  if (n.empty() || n == name_) return;
  name_ = n;
  Changed();
}
int TFont::Size() const { return -int(std::lround(double(height_) * 72 / PixelsPerInch)); }
void TFont::SetSize(int points) { SetHeight(-int(std::lround(double(points) * PixelsPerInch / 72))); }
void TFont::SetHeight(int h) {
  if (h == height_) return;
  height_ = h;
  Changed();
}
void TFont::SetStyle(TFontStyles s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}
void TFont::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  if (OnChange) OnChange();  // the colour is not part of the handle
}
void TFont::SetCharset(uint8_t c) {
  if (c == charset_) return;
  charset_ = c;
  Changed();
}
void TFont::SetPitch(TFontPitch p) {
  if (p == pitch_) return;
  pitch_ = p;
  Changed();
}
void TFont::SetQuality(TFontQuality q) {
  if (q == quality_) return;
  quality_ = q;
  Changed();
}
void TFont::SetOrientation(int o) {
  if (o == orientation_) return;
  orientation_ = o;
  Changed();
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf;
    lf.lfHeight = height_;
    lf.lfEscapement = lf.lfOrientation = orientation_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfQuality = uint8_t(quality_);
    lf.lfPitchAndFamily = pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    for (size_t i = 0; i < name_.size() && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = name_[i];
    handle_ = CreateFontIndirectA(lf);
  }
  return static_cast<HFONT>(handle_);
}

void TFont::SetHandle(HFONT font) {
  auto f = LookupGdi<GdiFont>(font);
  if (!f) return;
  const LOGFONTW& lf = f->logFont;
  name_ = f->FaceUtf8();
  height_ = lf.lfHeight;
  style_ = (lf.lfWeight >= FW_BOLD ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0) | (lf.lfUnderline ? fsUnderline : 0) |
           (lf.lfStrikeOut ? fsStrikeOut : 0);
  charset_ = lf.lfCharSet;
  orientation_ = lf.lfOrientation;
  Changed();
}

void TFont::Assign(const TFont& o) {
  name_ = o.name_;
  height_ = o.height_;
  style_ = o.style_;
  color_ = o.color_;
  charset_ = o.charset_;
  pitch_ = o.pitch_;
  quality_ = o.quality_;
  orientation_ = o.orientation_;
  Changed();
}

// ---- TCanvas ----

TCanvas::TCanvas() {
  auto reselect = [this] {
    if (dc_) RequireState();
  };
  pen_.OnChange = reselect;
  brush_.OnChange = reselect;
  font_.OnChange = reselect;
}

TCanvas::TCanvas(HDC dc) : TCanvas() { dc_ = dc; }

TCanvas::~TCanvas() { Refresh(); }

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  Refresh();
  dc_ = dc;
}

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  if (dc_) Changing();
  RequireState();
  return dc_;
}

void TCanvas::RequireState() {
  if (!dc_) return;
  HGDIOBJ p = SelectObject(dc_, pen_.Handle());
  HGDIOBJ b = SelectObject(dc_, brush_.Handle());
  HGDIOBJ f = SelectObject(dc_, font_.Handle());
  if (!oldPen_) oldPen_ = p;
  if (!oldBrush_) oldBrush_ = b;
  if (!oldFont_) oldFont_ = f;
  ::SetROP2(dc_, pen_.Rop2());
  ::SetTextColor(dc_, ColorToRGB(font_.Color()));
  // As in the class library: a solid brush paints text backgrounds; any other leaves them
  // (and hatch gaps) alone, with a background colour that differs from the brush's.
  if (brush_.Style() == bsSolid) {
    ::SetBkColor(dc_, ColorToRGB(brush_.Color()));
    ::SetBkMode(dc_, OPAQUE);
  } else {
    ::SetBkColor(dc_, ~ColorToRGB(brush_.Color()) & 0xFFFFFF);
    ::SetBkMode(dc_, TRANSPARENT);
  }
}

void TCanvas::Refresh() {
  if (!dc_) return;
  // Put back what the DC had, so that our handles can be freed safely.
  if (oldPen_) SelectObject(dc_, oldPen_);
  if (oldBrush_) SelectObject(dc_, oldBrush_);
  if (oldFont_) SelectObject(dc_, oldFont_);
  oldPen_ = oldBrush_ = oldFont_ = nullptr;
}

TPoint TCanvas::PenPos() {
  POINT p;
  GetCurrentPositionEx(Handle(), &p);
  return p;
}

void TCanvas::SetPenPos(TPoint p) { MoveToEx(Handle(), p.x, p.y, nullptr); }

TRect TCanvas::ClipRect() {
  RECT r;
  GetClipBox(Handle(), &r);
  return r;
}

TColor TCanvas::Pixel(int x, int y) {
  const COLORREF c = ::GetPixel(Handle(), x, y);
  return c == CLR_INVALID ? TColor(-1) : TColor(c);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  ::SetPixel(Handle(), x, y, ColorToRGB(c));
  Changed();
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }
void TCanvas::LineTo(int x, int y) {
  ::LineTo(Handle(), x, y);
  Changed();
}
void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  ::Rectangle(Handle(), x1, y1, x2, y2);
  Changed();
}
void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  ::Ellipse(Handle(), x1, y1, x2, y2);
  Changed();
}
void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  ::RoundRect(Handle(), x1, y1, x2, y2, x3, y3);
  Changed();
}
void TCanvas::Polygon(const std::vector<TPoint>& pts) {
  if (!pts.empty()) ::Polygon(Handle(), pts.data(), int(pts.size()));
  Changed();
}
void TCanvas::Polyline(const std::vector<TPoint>& pts) {
  if (!pts.empty()) ::Polyline(Handle(), pts.data(), int(pts.size()));
  Changed();
}
void TCanvas::PolyBezier(const std::vector<TPoint>& pts) {
  if (!pts.empty()) ::PolyBezier(Handle(), pts.data(), DWORD(pts.size()));
  Changed();
}
void TCanvas::FillRect(const TRect& r) {
  HDC dc = Handle();
  ::FillRect(dc, &r, brush_.Handle());
  Changed();
}
void TCanvas::FrameRect(const TRect& r) {
  HDC dc = Handle();
  ::FrameRect(dc, &r, brush_.Handle());
  Changed();
}
void TCanvas::DrawFocusRect(const TRect& r) {
  ::DrawFocusRect(Handle(), &r);
  Changed();
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, TRect{x, y, x + graphic.Width(), y + graphic.Height()});
  Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, r);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source) {
  StretchBlt(Handle(), dest.left, dest.top, dest.Width(), dest.Height(), canvas.Handle(), source.left, source.top,
             source.Width(), source.Height(), copyMode_);
  Changed();
}
