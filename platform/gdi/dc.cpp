#include "platform/gdi/dc_internal.h"
#include "platform/gdi/printer/printer_dc.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/metafile/emf_recorder.h"

namespace {

// Every new memory DC starts with the same stock 1 x 1 monochrome bitmap, as on the platform.
std::shared_ptr<GdiBitmap> OnePixelMono() {
  static const std::shared_ptr<GdiBitmap> stock = [] {
    auto b = std::make_shared<GdiBitmap>(1, 1, 1);
    RegisterGdiObject(b, true);
    return b;
  }();
  return stock;
}

template <class T>
T Swap(T& slot, T value) {
  T old = slot;
  slot = value;
  return old;
}

}  // namespace

std::shared_ptr<GdiDC> LookupDC(HDC dc) { return LookupGdi<GdiDC>(dc); }

POINT DevicePoint(const GdiDC& d, int64_t x, int64_t y) {
  auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  return POINT{clamp(d.DevX(x)), clamp(d.DevY(y))};
}

Region GdiDC::Drawable() const {
  const GdiBitmap* s = Surface();
  Region r = Region::FromRect(RECT{0, 0, s ? s->Width() : 0, s ? s->Height() : 0});
  if (visible) r = Region::Combine(r, *visible, Region::And);
  if (state.clip) r = Region::Combine(r, *state.clip, Region::And);
  return r;
}

RECT GdiDC::DrawableBounds() const { return Drawable().Bounds(); }

GdiDC::Rows GdiDC::ClipRows() const {
  const GdiBitmap* s = Surface();
  return s ? Rows{-1, s->Height() + 1} : kAllRows;
}

bool GdiDC::CanDraw(int64_t x, int64_t y) const {
  const GdiBitmap* s = Surface();
  if (!s || x < 0 || y < 0 || x >= s->Width() || y >= s->Height()) return false;
  if (visible && !visible->Contains(int32_t(x), int32_t(y))) return false;
  return !state.clip || state.clip->Contains(int32_t(x), int32_t(y));
}

static HDC NewDC(std::shared_ptr<GdiBitmap> target) {
  auto dc = std::make_shared<GdiDC>();
  dc->state.pen = LookupGdi<GdiPen>(GetStockObject(BLACK_PEN));
  dc->state.brush = LookupGdi<GdiBrush>(GetStockObject(WHITE_BRUSH));
  dc->state.font = LookupGdi<GdiFont>(GetStockObject(SYSTEM_FONT));
  if (target) {
    dc->memory = false;
    dc->target = std::move(target);
  } else {
    dc->state.bitmap = OnePixelMono();
  }
  return static_cast<HDC>(RegisterGdiObject(dc));
}

HDC CreateCompatibleDC(HDC) { return NewDC(nullptr); }

HDC CreateDCOverBitmap(std::shared_ptr<GdiBitmap> target) {
  if (!target) return nullptr;
  return NewDC(std::move(target));
}

static bool IsDisplay(const char* name) {
  return name && (std::strcmp(name, "DISPLAY") == 0 || std::strcmp(name, "display") == 0);
}

static HDC CreateDeviceContext(const char* driver, const char* device, bool informationOnly) {
  if (IsDisplay(driver ? driver : device)) {
    HDC dc = NewDC(nullptr);
    LookupDC(dc)->state.bitmap = std::make_shared<GdiBitmap>(1, 1, 32);
    return dc;
  }
  return device ? CreatePrinterDC(device, informationOnly) : nullptr;
}

HDC CreateDCA(const char* driver, const char* device, const char*, const void*) {
  return CreateDeviceContext(driver, device, false);
}

HDC CreateICA(const char* driver, const char* device, const char*, const void*) {
  return CreateDeviceContext(driver, device, true);
}

HDC CreateDeviceDC(std::shared_ptr<GdiBitmap> surface, const DeviceCaps& caps) {
  HDC dc = CreateDCOverBitmap(std::move(surface));
  if (auto d = LookupDC(dc)) d->device = caps;
  return dc;
}

void SetDCDeviceOrigin(HDC dc, int32_t x, int32_t y) {
  if (auto d = LookupDC(dc)) d->deviceOrigin = POINT{x, y};
}

void SetDCVisibleRegion(HDC dc, const Region* region) {
  auto d = LookupDC(dc);
  if (!d) return;
  if (region)
    d->visible = *region;
  else
    d->visible.reset();
}

void SetDCTarget(HDC dc, std::shared_ptr<GdiBitmap> target) {
  auto d = LookupDC(dc);
  if (d && !d->memory && target) d->target = std::move(target);
}

std::shared_ptr<GdiBitmap> GetDCBitmap(HDC dc) {
  auto d = LookupDC(dc);
  if (d && d->recorder) return d->recorder->Layer().Lend();
  return d ? d->SurfaceShared() : nullptr;
}

bool DeleteDC(HDC dc) { return LookupDC(dc) && DeleteObject(dc); }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto d = LookupDC(dc);
  auto o = LookupGdiObject(object);
  if (!d || !o) return nullptr;
  DCState& s = d->state;
  if (auto p = std::dynamic_pointer_cast<GdiPen>(o)) return Swap(s.pen, p)->Handle();
  if (auto b = std::dynamic_pointer_cast<GdiBrush>(o)) return Swap(s.brush, b)->Handle();
  if (auto f = std::dynamic_pointer_cast<GdiFont>(o)) return Swap(s.font, f)->Handle();
  if (auto bm = std::dynamic_pointer_cast<GdiBitmap>(o)) {
    if (!d->memory) return nullptr;
    return Swap(s.bitmap, bm)->Handle();
  }
  if (auto r = std::dynamic_pointer_cast<GdiRegion>(o))
    return reinterpret_cast<HGDIOBJ>(uintptr_t(SelectClipRgn(dc, static_cast<HRGN>(object))));
  if (auto pal = std::dynamic_pointer_cast<GdiPalette>(o)) {
    auto old = Swap(s.palette, pal);
    return old ? old->Handle() : nullptr;
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  auto d = LookupDC(dc);
  if (!d) return nullptr;
  switch (type) {
    case OBJ_PEN: return d->state.pen->Handle();
    case OBJ_BRUSH: return d->state.brush->Handle();
    case OBJ_FONT: return d->state.font->Handle();
    case OBJ_BITMAP: return d->memory && d->state.bitmap ? RegisterGdiObject(d->state.bitmap) : nullptr;
    case OBJ_PAL: return d->state.palette ? d->state.palette->Handle() : nullptr;
    default: return nullptr;
  }
}

int SaveDC(HDC dc) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  d->saved.push_back(d->state);
  return int(d->saved.size());
}

bool RestoreDC(HDC dc, int level) {
  auto d = LookupDC(dc);
  if (!d) return false;
  const int count = int(d->saved.size());
  if (level < 0) level = count + 1 + level;
  if (level < 1 || level > count) return false;
  d->state = std::move(d->saved[size_t(level - 1)]);
  d->saved.resize(size_t(level - 1));
  return true;
}

namespace {

bool SetPoint(HDC dc, POINT DCState::*field, int x, int y, POINT* old, bool relative) {
  auto d = LookupDC(dc);
  if (!d) return false;
  POINT& p = d->state.*field;
  if (old) *old = p;
  p = relative ? POINT{p.x + x, p.y + y} : POINT{x, y};
  return true;
}

bool GetPoint(HDC dc, POINT DCState::*field, POINT* out) {
  auto d = LookupDC(dc);
  if (!d || !out) return false;
  *out = d->state.*field;
  return true;
}

template <class T>
T SetField(HDC dc, T DCState::*field, T value, T failure) {
  auto d = LookupDC(dc);
  if (!d) return failure;
  return Swap(d->state.*field, value);
}

template <class T>
T GetField(HDC dc, T DCState::*field, T failure) {
  auto d = LookupDC(dc);
  return d ? d->state.*field : failure;
}

}  // namespace

bool SetViewportOrgEx(HDC dc, int x, int y, POINT* old) { return SetPoint(dc, &DCState::viewportOrg, x, y, old, false); }
bool OffsetViewportOrgEx(HDC dc, int x, int y, POINT* old) { return SetPoint(dc, &DCState::viewportOrg, x, y, old, true); }
bool GetViewportOrgEx(HDC dc, POINT* p) { return GetPoint(dc, &DCState::viewportOrg, p); }
bool SetWindowOrgEx(HDC dc, int x, int y, POINT* old) { return SetPoint(dc, &DCState::windowOrg, x, y, old, false); }
bool OffsetWindowOrgEx(HDC dc, int x, int y, POINT* old) { return SetPoint(dc, &DCState::windowOrg, x, y, old, true); }
bool GetWindowOrgEx(HDC dc, POINT* p) { return GetPoint(dc, &DCState::windowOrg, p); }
bool SetBrushOrgEx(HDC dc, int x, int y, POINT* old) { return SetPoint(dc, &DCState::brushOrg, x, y, old, false); }

bool LPtoDP(HDC dc, POINT* pts, int count) {
  auto d = LookupDC(dc);
  if (!d || (!pts && count > 0)) return false;
  for (int i = 0; i < count; ++i) {
    pts[i].x -= d->state.windowOrg.x - d->state.viewportOrg.x;
    pts[i].y -= d->state.windowOrg.y - d->state.viewportOrg.y;
  }
  return true;
}

bool DPtoLP(HDC dc, POINT* pts, int count) {
  auto d = LookupDC(dc);
  if (!d || (!pts && count > 0)) return false;
  for (int i = 0; i < count; ++i) {
    pts[i].x += d->state.windowOrg.x - d->state.viewportOrg.x;
    pts[i].y += d->state.windowOrg.y - d->state.viewportOrg.y;
  }
  return true;
}

int GetMapMode(HDC dc) { return LookupDC(dc) ? MM_TEXT : 0; }
int SetMapMode(HDC dc, int mode) { return LookupDC(dc) && mode == MM_TEXT ? MM_TEXT : 0; }

COLORREF SetBkColor(HDC dc, COLORREF c) { return SetField(dc, &DCState::bkColor, c & 0xFFFFFF, CLR_INVALID); }
COLORREF GetBkColor(HDC dc) { return GetField(dc, &DCState::bkColor, CLR_INVALID); }
COLORREF SetTextColor(HDC dc, COLORREF c) { return SetField(dc, &DCState::textColor, c & 0xFFFFFF, CLR_INVALID); }
COLORREF GetTextColor(HDC dc) { return GetField(dc, &DCState::textColor, CLR_INVALID); }
int SetBkMode(HDC dc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return SetField(dc, &DCState::bkMode, mode, 0);
}
int GetBkMode(HDC dc) { return GetField(dc, &DCState::bkMode, 0); }
int SetROP2(HDC dc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  return SetField(dc, &DCState::rop2, rop2, 0);
}
int GetROP2(HDC dc) { return GetField(dc, &DCState::rop2, 0); }
int SetStretchBltMode(HDC dc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return SetField(dc, &DCState::stretchMode, mode, 0);
}
int GetStretchBltMode(HDC dc) { return GetField(dc, &DCState::stretchMode, 0); }
int SetPolyFillMode(HDC dc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return SetField(dc, &DCState::polyFillMode, mode, 0);
}
int GetPolyFillMode(HDC dc) { return GetField(dc, &DCState::polyFillMode, 0); }
UINT SetTextAlign(HDC dc, UINT align) { return SetField(dc, &DCState::textAlign, align, UINT(0xFFFFFFFF)); }
UINT GetTextAlign(HDC dc) { return GetField(dc, &DCState::textAlign, UINT(0xFFFFFFFF)); }
int SetTextCharacterExtra(HDC dc, int extra) { return SetField(dc, &DCState::charExtra, extra, int(0x80000000)); }
int GetTextCharacterExtra(HDC dc) { return GetField(dc, &DCState::charExtra, int(0x80000000)); }
int SetICMMode(HDC dc, int mode) { return LookupDC(dc) && mode != ICM_ON ? ICM_OFF : 0; }

bool MoveToEx(HDC dc, int x, int y, POINT* old) {
  auto d = LookupDC(dc);
  if (!d) return false;
  if (old) *old = d->state.position;
  d->state.position = POINT{x, y};
  if (d->recorder) d->recorder->MoveTo(DevicePoint(*d, x, y));
  if (d->state.path.stage == GdiPath::Stage::Open) d->state.path.Start(PointF{d->DevXf(x), d->DevYf(y)});
  return true;
}

bool GetCurrentPositionEx(HDC dc, POINT* pos) { return GetPoint(dc, &DCState::position, pos); }

// ---- clipping ----

namespace {

int ClipComplexity(const GdiDC& d) {
  if (!d.state.clip) return SIMPLEREGION;
  return d.state.clip->Complexity();
}

// A region given in logical units, moved to device units.
Region ToDevice(const GdiDC& d, Region r) {
  r.Offset(int32_t(d.DevX(0)), int32_t(d.DevY(0)));
  return r;
}

Region Whole(const GdiDC& d) {
  const GdiBitmap* s = d.Surface();
  return Region::FromRect(RECT{0, 0, s ? s->Width() : 0, s ? s->Height() : 0});
}

}  // namespace

int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
  auto d = LookupDC(dc);
  if (!d) return ERROR_REGION;
  const Region* given = RegionOf(rgn);
  if (!given) {
    if (mode != RGN_COPY) return ERROR_REGION;
    d->state.clip.reset();
    return SIMPLEREGION;
  }
  // Regions given to the clip functions are in device units already (the platform's rule);
  // only the window layer's device origin is added.
  Region r = *given;
  r.Offset(d->deviceOrigin.x, d->deviceOrigin.y);
  if (mode == RGN_COPY) {
    d->state.clip = std::move(r);
  } else {
    const Region current = d->state.clip ? *d->state.clip : Whole(*d);
    d->state.clip = Region::Combine(current, r, mode);
  }
  return ClipComplexity(*d);
}

int SelectClipRgn(HDC dc, HRGN rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }

int IntersectClipRect(HDC dc, int l, int t, int r, int b) {
  auto d = LookupDC(dc);
  if (!d) return ERROR_REGION;
  const Region rect = ToDevice(*d, Region::FromRect(RECT{l, t, r, b}));
  d->state.clip = d->state.clip ? Region::Combine(*d->state.clip, rect, Region::And) : rect;
  return ClipComplexity(*d);
}

int ExcludeClipRect(HDC dc, int l, int t, int r, int b) {
  auto d = LookupDC(dc);
  if (!d) return ERROR_REGION;
  const Region rect = ToDevice(*d, Region::FromRect(RECT{l, t, r, b}));
  d->state.clip = Region::Combine(d->state.clip ? *d->state.clip : Whole(*d), rect, Region::Diff);
  return ClipComplexity(*d);
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
  auto d = LookupDC(dc);
  if (!d) return ERROR_REGION;
  if (d->state.clip) d->state.clip->Offset(dx, dy);
  return ClipComplexity(*d);
}

int GetClipBox(HDC dc, RECT* box) {
  auto d = LookupDC(dc);
  if (!d || !box) return ERROR_REGION;
  const Region r = d->Drawable();
  RECT b = r.Bounds();
  b.left = int32_t(d->LogX(b.left));
  b.right = int32_t(d->LogX(b.right));
  b.top = int32_t(d->LogY(b.top));
  b.bottom = int32_t(d->LogY(b.bottom));
  *box = b;
  return r.Complexity();
}

int GetClipRgn(HDC dc, HRGN rgn) {
  auto d = LookupDC(dc);
  auto g = LookupGdi<GdiRegion>(rgn);
  if (!d || !g) return -1;
  if (!d->state.clip) return 0;
  g->region = *d->state.clip;
  g->region.Offset(-d->deviceOrigin.x, -d->deviceOrigin.y);
  return 1;
}

bool RectVisible(HDC dc, const RECT* r) {
  auto d = LookupDC(dc);
  if (!d || !r) return false;
  const RECT dev{int32_t(d->DevX(std::min(r->left, r->right))), int32_t(d->DevY(std::min(r->top, r->bottom))),
                 int32_t(d->DevX(std::max(r->left, r->right))), int32_t(d->DevY(std::max(r->top, r->bottom)))};
  return d->Drawable().Intersects(dev);
}

bool PtVisible(HDC dc, int x, int y) {
  auto d = LookupDC(dc);
  return d && d->CanDraw(d->DevX(x), d->DevY(y));
}

int GetDeviceCaps(HDC dc, int index) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  if (d->device) return DeviceCapsValue(*d->device, index);
  const GdiBitmap* s = d->Surface();
  const bool screenLike = !s || (d->memory && s->Width() <= 1 && s->Height() <= 1);
  const int w = screenLike ? kScreenWidth : s->Width();
  const int h = screenLike ? kScreenHeight : s->Height();
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return int(w * 25.4 / kScreenDpi + 0.5);
    case VERTSIZE: return int(h * 25.4 / kScreenDpi + 0.5);
    case HORZRES:
    case DESKTOPHORZRES: return w;
    case VERTRES:
    case DESKTOPVERTRES: return h;
    case BITSPIXEL: return screenLike ? 32 : s->BitsPerPixel();
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY: return kScreenDpi;
    case SIZEPALETTE: return 0;
    case VREFRESH: return 60;
    default: return 0;
  }
}
