#include "platform/gdi/metafile/emf_player.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/blit.h"
#include "platform/gdi/font.h"
#include "platform/gdi/metafile/emf_dib.h"
#include "platform/gdi/palette.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/text.h"

namespace {

// Coordinates are kept well inside the 32-bit range so that nothing downstream overflows,
// whatever a hostile transform produces.
constexpr double kCoordLimit = double(1 << 29);

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

bool Usable(const XFORM& x) {
  const double det = double(x.eM11) * x.eM22 - double(x.eM12) * x.eM21;
  return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) && std::isfinite(x.eM22) &&
         std::isfinite(x.eDx) && std::isfinite(x.eDy) && det != 0 && std::isfinite(det);
}

EmfPlayer::Matrix FromXform(const XFORM& x) { return EmfPlayer::Matrix{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }

}  // namespace

EmfPlayer::Matrix EmfPlayer::Matrix::Then(const Matrix& m) const {
  return Matrix{a * m.a + b * m.c, a * m.b + b * m.d, c * m.a + d * m.c,
                c * m.b + d * m.d, e * m.a + f * m.c + m.e, e * m.b + f * m.d + m.f};
}

EmfPlayer::EmfPlayer(HDC dc, const EmfDocument& doc, const RECT& dest, HANDLETABLE& table)
    : dc_(dc), d_(LookupDC(dc)), doc_(doc), table_(table) {
  objects_.resize(table.objectHandle.size());
  if (d_) initialClip_ = d_->state.clip;
  const ENHMETAHEADER& h = doc.Header();
  // The reference device's pixels per millimetre; a header without a usable device is
  // taken as the logical resolution.
  if (h.szlDevice.cx > 0 && h.szlMillimeters.cx > 0)
    devicePxPerMM_x_ = std::clamp(double(h.szlDevice.cx) / h.szlMillimeters.cx, 1e-3, 1e4);
  if (h.szlDevice.cy > 0 && h.szlMillimeters.cy > 0)
    devicePxPerMM_y_ = std::clamp(double(h.szlDevice.cy) / h.szlMillimeters.cy, 1e-3, 1e4);
  // The frame in reference pixels lands on the destination rectangle. A frame without area
  // falls back on the bounds, and those on one pixel.
  double fl = h.rclFrame.left * devicePxPerMM_x_ / 100, ft = h.rclFrame.top * devicePxPerMM_y_ / 100;
  double fw = (double(h.rclFrame.right) - h.rclFrame.left) * devicePxPerMM_x_ / 100;
  double fh = (double(h.rclFrame.bottom) - h.rclFrame.top) * devicePxPerMM_y_ / 100;
  if (!(fw > 0) || !(fh > 0)) {
    fl = h.rclBounds.left;
    ft = h.rclBounds.top;
    fw = std::max(1.0, double(h.rclBounds.right) - h.rclBounds.left + 1);
    fh = std::max(1.0, double(h.rclBounds.bottom) - h.rclBounds.top + 1);
  }
  const double sx = (double(dest.right) - dest.left) / fw, sy = (double(dest.bottom) - dest.top) / fh;
  base_ = Matrix{sx, 0, 0, sy, dest.left - fl * sx, dest.top - ft * sy};
  Recompute();
}

EmfPlayer::~EmfPlayer() { Finish(); }

void EmfPlayer::Finish() {
  for (auto& o : objects_)
    if (o) DeleteObject(o->handle);
  objects_.assign(objects_.size(), nullptr);
  std::fill(table_.objectHandle.begin(), table_.objectHandle.end(), nullptr);
  if (realizedPen_) DeleteObject(realizedPen_);
  if (realizedFont_) DeleteObject(realizedFont_);
  realizedPen_ = realizedFont_ = nullptr;
}

// ---- Coordinates ----

void EmfPlayer::Recompute() {
  const State& s = state_;
  double sx = 1, sy = 1;
  switch (s.mapMode) {
    case MM_LOMETRIC: sx = devicePxPerMM_x_ / 10, sy = -devicePxPerMM_y_ / 10; break;
    case MM_HIMETRIC: sx = devicePxPerMM_x_ / 100, sy = -devicePxPerMM_y_ / 100; break;
    case MM_LOENGLISH: sx = devicePxPerMM_x_ * 0.254, sy = -devicePxPerMM_y_ * 0.254; break;
    case MM_HIENGLISH: sx = devicePxPerMM_x_ * 0.0254, sy = -devicePxPerMM_y_ * 0.0254; break;
    case MM_TWIPS: sx = devicePxPerMM_x_ * 25.4 / 1440, sy = -devicePxPerMM_y_ * 25.4 / 1440; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
      // Extents are never 0: the records that would set 0 are ignored.
      sx = double(s.viewportExt.cx) / s.windowExt.cx;
      sy = double(s.viewportExt.cy) / s.windowExt.cy;
      if (s.mapMode == MM_ISOTROPIC) {
        const double m = std::min(std::abs(sx), std::abs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
      }
      break;
    default: break;
  }
  const Matrix page{sx, 0, 0, sy, s.viewportOrg.x - s.windowOrg.x * sx, s.viewportOrg.y - s.windowOrg.y * sy};
  transform_ = FromXform(s.world).Then(page).Then(base_);
  dirty_ = true;
}

POINT EmfPlayer::Map(double x, double y) const {
  const PointF p = MapF(x, y);
  auto r = [](double v) { return int32_t(std::lround(std::clamp(Finite(v), -kCoordLimit, kCoordLimit))); };
  return POINT{r(p.x), r(p.y)};
}

double EmfPlayer::ScaleX() const { return std::hypot(transform_.a, transform_.b); }
double EmfPlayer::ScaleY() const { return std::hypot(transform_.c, transform_.d); }

void EmfPlayer::SetMapMode(int mode) {
  if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
  State& s = state_;
  const bool scalable = mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC;
  const bool wasScalable = s.mapMode == MM_ISOTROPIC || s.mapMode == MM_ANISOTROPIC;
  if (scalable && !wasScalable) {
    // The extents the previous mode stood for carry over, as on the platform.
    s.windowExt = SIZE{1, 1};
    s.viewportExt = SIZE{1, 1};
    if (s.mapMode != MM_TEXT) {
      const double unitsPerMM[] = {0, 0, 10, 100, 1 / 0.254, 1 / 0.0254, 1440 / 25.4};
      const double u = unitsPerMM[s.mapMode];
      s.windowExt = SIZE{int32_t(std::lround(1000 * u)), int32_t(std::lround(1000 * u))};
      s.viewportExt = SIZE{std::max(1, int32_t(std::lround(1000 * devicePxPerMM_x_))),
                           -std::max(1, int32_t(std::lround(1000 * devicePxPerMM_y_)))};
    }
  }
  s.mapMode = mode;
  Recompute();
}

COLORREF EmfPlayer::Color(COLORREF c) const {
  if ((c >> 24) == 1) {
    // An index into the selected palette.
    const auto pal = Palette();
    const size_t i = c & 0xFFFF;
    if (i < pal.size()) return RGB(pal[i].peRed, pal[i].peGreen, pal[i].peBlue);
    const auto table = DefaultColorTable(4);
    const RGBQUAD q = table[std::min<size_t>(i, table.size() - 1)];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  return c & 0xFFFFFF;
}

std::span<const PALETTEENTRY> EmfPlayer::Palette() const {
  if (!palette_) return {};
  auto p = LookupGdi<GdiPalette>(palette_->handle);
  return p ? std::span<const PALETTEENTRY>(p->entries) : std::span<const PALETTEENTRY>{};
}

void EmfPlayer::Realize() {
  if (!dirty_) return;
  dirty_ = false;
  const double scale = (ScaleX() + ScaleY()) / 2;
  HGDIOBJ oldPen = realizedPen_, oldFont = realizedFont_;
  realizedPen_ = realizedFont_ = nullptr;
  if (const auto& p = state_.pen) {
    // Width 0 is one pixel whatever the scale; any other width is in logical units.
    const double w = p->penWidth <= 0 ? 1.0 : std::max(1.0, std::round(std::min(p->penWidth * scale, 1e5)));
    LOGBRUSH lb{BS_SOLID, Color(p->penColor), 0};
    DWORD style = p->penStyle;
    if (w > 1) style = (style & ~PS_TYPE_MASK) | PS_GEOMETRIC;
    // A geometric pen's style lengths are logical units, as its width is; a cosmetic pen's
    // are the device's own.
    std::vector<DWORD> dashes = p->dashes;
    if ((style & PS_TYPE_MASK) == PS_GEOMETRIC)
      for (DWORD& d : dashes) d = DWORD(std::clamp(std::round(d * scale), 0.0, double(1 << 20)));
    realizedPen_ = ExtCreatePen(style, DWORD(w), &lb, DWORD(dashes.size()), dashes.empty() ? nullptr : dashes.data());
    if (!realizedPen_) realizedPen_ = CreatePen(int(style & PS_STYLE_MASK), int(w), Color(p->penColor));
    SelectObject(dc_, realizedPen_);
  }
  if (const auto& f = state_.font) {
    LOGFONTW lf = f->font;
    auto scaled = [](int32_t v, double s) {
      if (v == 0) return 0;
      const double r = std::clamp(std::round(v * s), -1e5, 1e5);
      return int32_t(r == 0 ? (v < 0 ? -1 : 1) : r);
    };
    lf.lfHeight = scaled(lf.lfHeight, ScaleY());
    lf.lfWidth = scaled(lf.lfWidth, ScaleX());
    realizedFont_ = CreateFontIndirectW(lf);
    SelectObject(dc_, realizedFont_);
  }
  if (oldPen) DeleteObject(oldPen);
  if (oldFont) DeleteObject(oldFont);
}

HGDIOBJ EmfPlayer::SelectedBrushHandle() const { return d_ ? d_->state.brush->Handle() : nullptr; }

// ---- Dispatch ----

bool EmfPlayer::Play(const ENHMETARECORD& r) {
  if (!d_ || !d_->Surface()) return false;
  switch (r.iType) {
    case EMR_HEADER: case EMR_EOF: case EMR_GDICOMMENT: case EMR_SETMAPPERFLAGS: case EMR_SETICMMODE:
    case EMR_SETMITERLIMIT: case EMR_SETCOLORADJUSTMENT: case EMR_SETMETARGN: case EMR_REALIZEPALETTE:
    case EMR_RESIZEPALETTE: case EMR_SETLAYOUT: case EMR_SETTEXTJUSTIFICATION: case EMR_EXTFLOODFILL:
    case EMR_WIDENPATH:
      return true;  // nothing to draw here
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX: case EMR_SETVIEWPORTORGEX:
    case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX: case EMR_SETMAPMODE: case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: case EMR_SAVEDC: case EMR_RESTOREDC: case EMR_SETBKMODE: case EMR_SETROP2:
    case EMR_SETPOLYFILLMODE: case EMR_SETSTRETCHBLTMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR: case EMR_SETARCDIRECTION: case EMR_SETBRUSHORGEX: case EMR_MOVETOEX:
      return PlayState(r);
    case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: case EMR_CREATEPEN: case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT: case EMR_CREATEDIBPATTERNBRUSHPT: case EMR_CREATEMONOBRUSH:
    case EMR_EXTCREATEFONTINDIRECTW: case EMR_CREATEPALETTE: case EMR_SELECTPALETTE: case EMR_SETPALETTEENTRIES:
      return PlayObject(r);
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
    case EMR_POLYDRAW: case EMR_POLYDRAW16: case EMR_LINETO:
      return PlayLines(r);
    case EMR_RECTANGLE: case EMR_ELLIPSE: case EMR_ROUNDRECT: case EMR_ARC: case EMR_CHORD: case EMR_PIE:
    case EMR_ARCTO: case EMR_ANGLEARC: case EMR_SETPIXELV:
      return PlayShape(r);
    case EMR_BEGINPATH: case EMR_ENDPATH: case EMR_CLOSEFIGURE: case EMR_FILLPATH: case EMR_STROKEANDFILLPATH:
    case EMR_STROKEPATH: case EMR_FLATTENPATH: case EMR_ABORTPATH:
      return PlayPath(r);
    case EMR_SELECTCLIPPATH: case EMR_INTERSECTCLIPRECT: case EMR_EXCLUDECLIPRECT: case EMR_OFFSETCLIPRGN:
    case EMR_EXTSELECTCLIPRGN:
      return PlayClip(r);
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW:
    case EMR_SMALLTEXTOUT:
      return PlayText(r);
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_PLGBLT: case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT:
      return PlayBitmap(r);
    case EMR_GRADIENTFILL: return PlayGradient(r);
    case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN: return PlayRegion(r);
    default: return true;
  }
}

bool EmfPlayer::PlayState(const ENHMETARECORD& r) {
  State& s = state_;
  const int32_t v0 = r.I32(8), v1 = r.I32(12);
  const bool scalable = s.mapMode == MM_ISOTROPIC || s.mapMode == MM_ANISOTROPIC;
  switch (r.iType) {
    case EMR_SETWINDOWORGEX: s.windowOrg = POINT{v0, v1}; break;
    case EMR_SETVIEWPORTORGEX: s.viewportOrg = POINT{v0, v1}; break;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX:
      // The platform refuses extents of 0 and ignores extents outside the scalable modes.
      if (v0 == 0 || v1 == 0 || !scalable) return v0 != 0 && v1 != 0;
      (r.iType == EMR_SETWINDOWEXTEX ? s.windowExt : s.viewportExt) = SIZE{v0, v1};
      break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
      const int64_t xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
      if (xDenom == 0 || yDenom == 0 || !scalable) return false;
      SIZE& ext = r.iType == EMR_SCALEWINDOWEXTEX ? s.windowExt : s.viewportExt;
      const int64_t cx = ext.cx * xNum / xDenom, cy = ext.cy * yNum / yDenom;
      if (cx == 0 || cy == 0 || std::abs(cx) > INT32_MAX || std::abs(cy) > INT32_MAX) return false;
      ext = SIZE{int32_t(cx), int32_t(cy)};
      break;
    }
    case EMR_SETMAPMODE: SetMapMode(v0); return true;
    case EMR_SETWORLDTRANSFORM: {
      const XFORM x = r.Xform(8);
      if (!Usable(x)) return false;
      s.world = x;
      break;
    }
    case EMR_MODIFYWORLDTRANSFORM: {
      const XFORM x = r.Xform(8);
      XFORM result = s.world;
      switch (r.U32(32)) {
        case MWT_IDENTITY: result = XFORM{}; break;
        case MWT_LEFTMULTIPLY: CombineTransform(&result, &x, &s.world); break;
        case MWT_RIGHTMULTIPLY: CombineTransform(&result, &s.world, &x); break;
        default: return false;
      }
      if (!Usable(result)) return false;
      s.world = result;
      break;
    }
    case EMR_SAVEDC:
      if (saved_.size() >= 4096) return false;  // bounded: each level copies the DC's state
      saved_.push_back(s);
      SaveDC(dc_);
      return true;
    case EMR_RESTOREDC: {
      const int32_t rel = v0;
      // Only levels this playback saved may be restored: the caller's own stay untouched.
      if (rel >= 0 || int64_t(-int64_t(rel)) > int64_t(saved_.size())) return false;
      const size_t level = saved_.size() - size_t(-int64_t(rel));
      RestoreDC(dc_, rel);
      s = saved_[level];
      saved_.resize(level);
      break;
    }
    case EMR_SETBKMODE: SetBkMode(dc_, v0); return true;
    case EMR_SETROP2: SetROP2(dc_, v0); return true;
    case EMR_SETPOLYFILLMODE: SetPolyFillMode(dc_, v0); return true;
    case EMR_SETSTRETCHBLTMODE: SetStretchBltMode(dc_, v0); return true;
    case EMR_SETTEXTALIGN: SetTextAlign(dc_, UINT(v0)); return true;
    case EMR_SETTEXTCOLOR: SetTextColor(dc_, Color(COLORREF(v0))); return true;
    case EMR_SETBKCOLOR: SetBkColor(dc_, Color(COLORREF(v0))); return true;
    case EMR_SETARCDIRECTION:
      if (v0 == AD_COUNTERCLOCKWISE || v0 == AD_CLOCKWISE) s.arcDirection = v0;
      return true;
    case EMR_SETBRUSHORGEX: {
      const POINT p = Map(v0, v1);
      SetBrushOrgEx(dc_, p.x, p.y, nullptr);
      return true;
    }
    case EMR_MOVETOEX: {
      const POINT p = Map(v0, v1);
      MoveToEx(dc_, p.x, p.y, nullptr);
      return true;
    }
  }
  Recompute();
  return true;
}

bool EmfPlayer::PlayObject(const ENHMETARECORD& r) {
  const uint32_t index = r.U32(8);
  auto slot = [&](uint32_t i) -> std::shared_ptr<Logical>* {
    return i > 0 && i < objects_.size() ? &objects_[i] : nullptr;
  };
  auto store = [&](std::shared_ptr<Logical> o) {
    auto* s = slot(index);
    if (!s || !o->handle) {
      if (o->handle) DeleteObject(o->handle);
      return false;
    }
    if (*s) DeleteObject((*s)->handle);
    table_.objectHandle[index] = o->handle;
    *s = std::move(o);
    return true;
  };
  switch (r.iType) {
    case EMR_SELECTOBJECT: {
      if (index & 0x80000000u) {
        const int stock = int(index & 0x7FFFFFFF);
        HGDIOBJ h = GetStockObject(stock);
        if (!h) return false;
        const uint32_t type = GetObjectType(h);
        if (type == OBJ_PEN || type == OBJ_EXTPEN) state_.pen.reset();
        if (type == OBJ_FONT) state_.font.reset();
        SelectObject(dc_, h);
        dirty_ = true;
        return true;
      }
      auto* s = slot(index);
      if (!s || !*s) return false;
      const auto& o = *s;
      switch (o->kind) {
        case Logical::Pen: state_.pen = o; dirty_ = true; break;
        case Logical::Font: state_.font = o; dirty_ = true; break;
        case Logical::Brush: SelectObject(dc_, o->handle); break;
        case Logical::Palette: palette_ = o; break;
      }
      return true;
    }
    case EMR_DELETEOBJECT: {
      auto* s = slot(index);
      if (!s || !*s) return false;
      // What is selected stays usable: the DC and the state hold their own references.
      DeleteObject((*s)->handle);
      s->reset();
      table_.objectHandle[index] = nullptr;
      return true;
    }
    case EMR_CREATEPEN: {
      auto o = std::make_shared<Logical>(Logical{Logical::Pen});
      o->penStyle = r.U32(12) & ~PS_TYPE_MASK;
      o->penWidth = r.I32(16);
      o->penColor = r.U32(24);
      o->handle = CreatePen(int(o->penStyle & PS_STYLE_MASK), std::clamp(o->penWidth, 0, 1 << 20), Color(o->penColor));
      return store(o);
    }
    case EMR_EXTCREATEPEN: {
      auto o = std::make_shared<Logical>(Logical{Logical::Pen});
      o->penStyle = r.U32(28);
      o->penWidth = (o->penStyle & PS_TYPE_MASK) == PS_GEOMETRIC ? r.I32(32) : 0;
      o->penColor = r.U32(40);
      const uint32_t n = std::min<uint32_t>(r.U32(48), 16);  // the platform's limit on style entries
      for (uint32_t i = 0; i < n; ++i) o->dashes.push_back(r.U32(52 + 4 * i));
      if ((o->penStyle & PS_STYLE_MASK) != PS_USERSTYLE) o->dashes.clear();
      o->handle = CreatePen(int(o->penStyle & PS_STYLE_MASK), std::clamp(o->penWidth, 0, 1 << 20), Color(o->penColor));
      return store(o);
    }
    case EMR_CREATEBRUSHINDIRECT: {
      auto o = std::make_shared<Logical>(Logical{Logical::Brush});
      LOGBRUSH lb{r.U32(12), Color(r.U32(16)), r.U32(20)};
      if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_NULL && lb.lbStyle != BS_HATCHED) lb.lbStyle = BS_SOLID;
      o->handle = CreateBrushIndirect(lb);
      return store(o);
    }
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH: {
      auto o = std::make_shared<Logical>(Logical{Logical::Brush});
      try {
        auto bitmap = DecodeRecordDib(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28), r.U32(12), Palette());
        if (!bitmap) return false;
        if (r.iType == EMR_CREATEDIBPATTERNBRUSHPT && bitmap->BitsPerPixel() != 24) bitmap->Convert(24);
        HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(bitmap));
        o->handle = CreatePatternBrush(hb);
        DeleteObject(hb);
      } catch (const std::exception&) {
        return false;
      }
      return store(o);
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      auto o = std::make_shared<Logical>(Logical{Logical::Font});
      LOGFONTW& lf = o->font;
      lf.lfHeight = r.I32(12);
      lf.lfWidth = r.I32(16);
      lf.lfEscapement = r.I32(20);
      lf.lfOrientation = r.I32(24);
      lf.lfWeight = r.I32(28);
      lf.lfItalic = r.U8(32);
      lf.lfUnderline = r.U8(33);
      lf.lfStrikeOut = r.U8(34);
      lf.lfCharSet = r.U8(35);
      lf.lfOutPrecision = r.U8(36);
      lf.lfClipPrecision = r.U8(37);
      lf.lfQuality = r.U8(38);
      lf.lfPitchAndFamily = r.U8(39);
      for (int i = 0; i < LF_FACESIZE; ++i) lf.lfFaceName[i] = char16_t(r.U16(40 + 2 * i));
      lf.lfFaceName[LF_FACESIZE - 1] = 0;
      o->handle = CreateFontIndirectW(lf);
      return store(o);
    }
    case EMR_CREATEPALETTE: {
      auto o = std::make_shared<Logical>(Logical{Logical::Palette});
      std::vector<PALETTEENTRY> entries(r.U16(14));
      for (size_t i = 0; i < entries.size(); ++i)
        entries[i] = PALETTEENTRY{r.U8(16 + 4 * i), r.U8(17 + 4 * i), r.U8(18 + 4 * i), r.U8(19 + 4 * i)};
      o->handle = CreatePalette(entries);
      return store(o);
    }
    case EMR_SELECTPALETTE: {
      auto* s = slot(index);
      if (!s || !*s || (*s)->kind != Logical::Palette) return false;
      palette_ = *s;
      return true;
    }
    case EMR_SETPALETTEENTRIES: {
      auto* s = slot(index);
      if (!s || !*s || (*s)->kind != Logical::Palette) return false;
      const uint32_t start = r.U32(12), count = r.U32(16);
      std::vector<PALETTEENTRY> entries(count);
      for (size_t i = 0; i < count; ++i)
        entries[i] = PALETTEENTRY{r.U8(20 + 4 * i), r.U8(21 + 4 * i), r.U8(22 + 4 * i), r.U8(23 + 4 * i)};
      SetPaletteEntries(static_cast<HPALETTE>((*s)->handle), start, count, entries.data());
      return true;
    }
  }
  return false;
}
