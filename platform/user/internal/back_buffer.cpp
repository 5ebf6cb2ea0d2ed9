#include "platform/user/internal/back_buffer.h"

#include <algorithm>
#include <map>

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/messages.h"
#include "platform/user/metrics.h"

namespace user_internal {

namespace {

struct SurfaceInfo {
  HWND hwnd = nullptr;
  RECT bounds{};
};

// The window DCs handed out, for WindowFromDC and for what to present after ReleaseDC.
std::map<HDC, SurfaceInfo>& SurfaceDCs() {
  static auto* dcs = new std::map<HDC, SurfaceInfo>();
  return *dcs;
}

}  // namespace

BackBuffer::BackBuffer(int width, int height) : bitmap_(std::make_shared<GdiBitmap>()) {
  Resize(width, height);
}

void BackBuffer::Resize(int width, int height) {
  width = std::clamp(width, 0, 32767);
  height = std::clamp(height, 0, 32767);
  if (static_cast<std::int64_t>(width) * height > kMaxBackBufferPixels) {
    width = std::min(width, 4096);
    height = std::min(height, static_cast<int>(kMaxBackBufferPixels / std::max(width, 1)));
  }
  if (bitmap_->Empty() && bitmap_->BitsPerPixel() != 32) {
    bitmap_->Reset(width, height, 32);
    return;
  }
  if (width == bitmap_->Width() && height == bitmap_->Height()) return;
  bitmap_->Resize(width, height, GetSysColor(COLOR_BTNFACE));
}

display::PixelView BackBuffer::View() const {
  if (bitmap_->Empty()) return {};
  return display::PixelView{reinterpret_cast<const std::uint32_t*>(bitmap_->Row(0)), bitmap_->Width(),
                            bitmap_->Height(), static_cast<int>(bitmap_->Stride() / 4)};
}

HDC CreateSurfaceDC(HWND hwnd, const WindowSurface& surface) {
  if (!surface.buffer) return nullptr;
  HDC dc = CreateDCOverBitmap(surface.buffer->bitmap());
  if (!dc) return nullptr;
  SetDCDeviceOrigin(dc, surface.origin.x, surface.origin.y);
  SetDCVisibleRegion(dc, &surface.clip.region());
  SurfaceDCs()[dc] = SurfaceInfo{hwnd, surface.clip.Bounds()};
  return dc;
}

void DeleteSurfaceDC(HDC dc) {
  if (SurfaceDCs().erase(dc)) DeleteDC(dc);
}

HWND SurfaceDCWindow(HDC dc) {
  auto it = SurfaceDCs().find(dc);
  return it == SurfaceDCs().end() ? nullptr : it->second.hwnd;
}

RECT SurfaceDCBounds(HDC dc) {
  auto it = SurfaceDCs().find(dc);
  return it == SurfaceDCs().end() ? RECT{} : it->second.bounds;
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  if (r.IsEmpty()) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void FrameSolid(HDC dc, const RECT& r, COLORREF color, int t) {
  FillSolid(dc, RECT{r.left, r.top, r.right, r.top + t}, color);
  FillSolid(dc, RECT{r.left, r.bottom - t, r.right, r.bottom}, color);
  FillSolid(dc, RECT{r.left, r.top + t, r.left + t, r.bottom - t}, color);
  FillSolid(dc, RECT{r.right - t, r.top + t, r.right, r.bottom - t}, color);
}

void DrawEdgeRaised(HDC dc, const RECT& r, COLORREF light, COLORREF dark) {
  FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, light);
  FillSolid(dc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, light);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, dark);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom - 1}, dark);
}

namespace {

HFONT SystemFont(bool bold) {
  static HFONT regular = CreateFontIndirectW(NonClientFont(false));
  static HFONT heavy = CreateFontIndirectW(NonClientFont(true));
  return bold ? heavy : regular;
}

HDC MeasuringDC() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

}  // namespace

LOGFONTW NonClientFont(bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -11;  // 8 points at 96 dpi
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  const std::u16string face = u"MS Sans Serif";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  return lf;
}

void DrawTextLine(HDC dc, const RECT& r, std::u16string_view text, COLORREF color, UINT flags) {
  if (!dc || text.empty() || r.IsEmpty()) return;
  HGDIOBJ oldFont = SelectObject(dc, SystemFont((flags & kTextBold) != 0));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, color);
  RECT box = r;
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | (flags & (DT_CENTER | DT_RIGHT | DT_NOPREFIX));
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box, format);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

SIZE MeasureTextLine(std::u16string_view text, bool bold) {
  HDC dc = MeasuringDC();
  HGDIOBJ oldFont = SelectObject(dc, SystemFont(bold));
  RECT box{0, 0, 0, 0};
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_CALCRECT);
  SelectObject(dc, oldFont);
  return SIZE{box.right - box.left, box.bottom - box.top};
}

bool RegionRects(HRGN region, std::vector<RECT>* rects) {
  const Region* r = RegionOf(region);
  if (!r) return false;
  *rects = r->Rects();
  return true;
}

void DeleteRegionHandle(HRGN region) {
  if (region) DeleteObject(region);
}

bool SetRegionArea(HRGN region, const RectSet& area) {
  if (!RegionOf(region)) return false;
  HRGN copy = CreateRegionHandle(area.region());
  CombineRgn(region, copy, nullptr, RGN_COPY);
  DeleteObject(copy);
  return true;
}

HBRUSH DefaultControlColor(HDC dc, UINT msg) {
  bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  int index = field ? COLOR_WINDOW : COLOR_BTNFACE;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(index));
  return GetSysColorBrush(index);
}

}  // namespace user_internal
