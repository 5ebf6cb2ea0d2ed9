// The pixels a top-level window draws into, frame included, and the device contexts over
// them. The drawing itself belongs to the graphics layer; this file is the seam to it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/display/display.h"
#include "platform/user/rect_set.h"
#include "platform/user/wintypes.h"

namespace user_internal {

// Back buffers hold at most this many pixels (larger windows draw only their top-left part).
inline constexpr std::int64_t kMaxBackBufferPixels = std::int64_t{1} << 24;

class BackBuffer {
 public:
  BackBuffer(int width, int height);
  // Keeps the overlapping top-left part of the old pixels.
  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  std::uint32_t* pixels() { return pixels_.data(); }
  display::PixelView View() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// A device context of a window: the back buffer, the window's origin inside it and the
// visible area (buffer coordinates) that drawing is clipped to.
struct WindowSurface {
  BackBuffer* buffer = nullptr;
  POINT origin{};  // where the DC's (0, 0) lies in the buffer
  RectSet clip;    // buffer coordinates
};

HDC CreateSurfaceDC(HWND hwnd, const WindowSurface& surface);
void DeleteSurfaceDC(HDC dc);
HWND SurfaceDCWindow(HDC dc);
// The area (buffer coordinates) that drawing through the DC may have changed.
RECT SurfaceDCBounds(HDC dc);

// The drawing the default procedure needs, in the DC's logical coordinates.
void FillSolid(HDC dc, const RECT& r, COLORREF color);
void FrameSolid(HDC dc, const RECT& r, COLORREF color, int thickness);
void DrawEdgeRaised(HDC dc, const RECT& r, COLORREF light, COLORREF dark);
void DrawTextLine(HDC dc, const RECT& r, std::u16string_view text, COLORREF color, bool centred);
COLORREF BrushColor(HBRUSH brush, bool* known);

}  // namespace user_internal

namespace user_internal {

// The rectangles of a region handle of the graphics layer (disjoint, window coordinates);
// false for a handle that is not a region.
bool RegionRects(HRGN region, std::vector<RECT>* rects);
void DeleteRegionHandle(HRGN region);
// Makes `region` hold the rectangles; false when it is not a region handle.
bool SetRegionRects(HRGN region, const std::vector<RECT>& rects);

}  // namespace user_internal

namespace user_internal {

// The default answer to WM_CTLCOLOR...: the DC gets the system text and background colours,
// the result is the brush of the background (window colour for edits and lists, else the
// button face).
HBRUSH DefaultControlColor(HDC dc, UINT msg);

}  // namespace user_internal

namespace user_internal {

// The size of one line of menu and caption text in the system font.
SIZE MeasureTextLine(std::u16string_view text);

}  // namespace user_internal
