// Until the graphics layer's device contexts are available, a window DC here is a small
// record over the back buffer that can fill and frame rectangles; text is not drawn. The
// functions below are the whole seam: they become calls into platform/gdi.
#include "platform/user/internal/back_buffer.h"

#include <algorithm>
#include <memory>
#include <set>

#include "platform/user/metrics.h"

namespace user_internal {

namespace {

struct SurfaceDC {
  HWND hwnd = nullptr;
  WindowSurface surface;
  RECT touched{0, 0, 0, 0};
};

std::set<SurfaceDC*>& LiveDCs() {
  static auto* live = new std::set<SurfaceDC*>();
  return *live;
}

SurfaceDC* FromHandle(HDC dc) {
  auto* p = reinterpret_cast<SurfaceDC*>(dc);
  return LiveDCs().count(p) ? p : nullptr;
}

std::uint32_t ToPixel(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}

}  // namespace

BackBuffer::BackBuffer(int width, int height) { Resize(width, height); }

void BackBuffer::Resize(int width, int height) {
  width = std::clamp(width, 0, 32767);
  height = std::clamp(height, 0, 32767);
  if (static_cast<std::int64_t>(width) * height > kMaxBackBufferPixels) {
    // Keep the aspect of the window roughly, inside the pixel budget.
    int side = 4096;
    width = std::min(width, side);
    height = std::min(height, static_cast<int>(kMaxBackBufferPixels / std::max(width, 1)));
  }
  if (width == width_ && height == height_) return;
  std::vector<std::uint32_t> next(static_cast<size_t>(width) * height, 0x00c0c0c0);
  int w0 = std::min(width, width_);
  int h0 = std::min(height, height_);
  for (int y = 0; y < h0; ++y)
    std::copy_n(&pixels_[static_cast<size_t>(y) * width_], w0, &next[static_cast<size_t>(y) * width]);
  pixels_.swap(next);
  width_ = width;
  height_ = height;
}

display::PixelView BackBuffer::View() const {
  return display::PixelView{pixels_.data(), width_, height_, width_};
}

HDC CreateSurfaceDC(HWND hwnd, const WindowSurface& surface) {
  auto dc = std::make_unique<SurfaceDC>();
  dc->hwnd = hwnd;
  dc->surface = surface;
  if (surface.buffer) dc->surface.clip.Intersect(RECT{0, 0, surface.buffer->width(), surface.buffer->height()});
  SurfaceDC* raw = dc.release();
  LiveDCs().insert(raw);
  return reinterpret_cast<HDC>(raw);
}

void DeleteSurfaceDC(HDC handle) {
  SurfaceDC* dc = FromHandle(handle);
  if (!dc) return;
  LiveDCs().erase(dc);
  delete dc;
}

HWND SurfaceDCWindow(HDC handle) {
  SurfaceDC* dc = FromHandle(handle);
  return dc ? dc->hwnd : nullptr;
}

RECT SurfaceDCBounds(HDC handle) {
  SurfaceDC* dc = FromHandle(handle);
  return dc ? dc->touched : RECT{0, 0, 0, 0};
}

void FillSolid(HDC handle, const RECT& r, COLORREF color) {
  SurfaceDC* dc = FromHandle(handle);
  if (!dc || !dc->surface.buffer) return;
  BackBuffer& buf = *dc->surface.buffer;
  RECT target = OffsetRectBy(r, dc->surface.origin.x, dc->surface.origin.y);
  std::uint32_t px = ToPixel(color);
  for (const RECT& c : dc->surface.clip.rects()) {
    RECT part = IntersectRects(c, target);
    if (IsRectEmptyValue(part)) continue;
    for (int y = part.top; y < part.bottom; ++y)
      std::fill_n(buf.pixels() + static_cast<size_t>(y) * buf.width() + part.left,
                  part.right - part.left, px);
    dc->touched = UnionBounds(dc->touched, part);
  }
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

void DrawTextLine(HDC, const RECT&, std::u16string_view, COLORREF, bool) {
  // Text needs the graphics layer's fonts.
}

COLORREF BrushColor(HBRUSH brush, bool* known) {
  COLORREF c = 0;
  *known = SystemColorOfBrush(brush, &c);
  return c;
}

}  // namespace user_internal

namespace user_internal {

// Regions are the graphics layer's; none can be made before it is there.
bool RegionRects(HRGN, std::vector<RECT>*) { return false; }
void DeleteRegionHandle(HRGN) {}
bool SetRegionRects(HRGN, const std::vector<RECT>&) { return false; }

}  // namespace user_internal

namespace user_internal {

HBRUSH DefaultControlColor(HDC, UINT msg) {
  // A system-colour brush value; real brushes come with the graphics layer.
  int index = (msg == 0x0133 || msg == 0x0134) ? COLOR_WINDOW : COLOR_BTNFACE;
  return reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(index + 1));
}

}  // namespace user_internal

namespace user_internal {

SIZE MeasureTextLine(std::u16string_view text) {
  // An average character of the 8-point system font until real fonts measure it.
  return SIZE{static_cast<std::int32_t>(text.size() * 6), 13};
}

}  // namespace user_internal
