// The pixels a top-level window draws into, frame included, and the device contexts of
// windows over them (the graphics layer's DCs over a bitmap, with the window's origin and
// visible region).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/display/display.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/font.h"
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
  int width() const { return bitmap_->Width(); }
  int height() const { return bitmap_->Height(); }
  const std::shared_ptr<GdiBitmap>& bitmap() const { return bitmap_; }
  display::PixelView View() const;

 private:
  std::shared_ptr<GdiBitmap> bitmap_;
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
// One line of caption or menu text in the system font, centred vertically; flags may hold
// DT_CENTER, DT_RIGHT, DT_NOPREFIX and kTextBold.
inline constexpr UINT kTextBold = 0x80000000u;
void DrawTextLine(HDC dc, const RECT& r, std::u16string_view text, COLORREF color, UINT flags);
// The size of one line of text in the system font ("&" marks an access key).
SIZE MeasureTextLine(std::u16string_view text, bool bold = false);
// The system font: "MS Sans Serif" 8 points, for captions bold.
LOGFONTW NonClientFont(bool bold);

// The rectangles of a region handle (disjoint); false for a handle that is not a region.
bool RegionRects(HRGN region, std::vector<RECT>* rects);
void DeleteRegionHandle(HRGN region);
// Makes `region` hold the area; false when it is not a region handle.
bool SetRegionArea(HRGN region, const RectSet& area);

// The default answer to WM_CTLCOLOR...: the DC gets the system text and background colours,
// the result is the brush of the background (window colour for edits and lists, else the
// button face).
HBRUSH DefaultControlColor(HDC dc, UINT msg);

}  // namespace user_internal
