// The device context object behind HDC, shared by the drawing modules of this folder.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/font.h"
#include "platform/gdi/palette.h"
#include "platform/gdi/path.h"
#include "platform/gdi/pen_brush.h"

class EmfRecorder;

struct DCState {
  std::shared_ptr<GdiPen> pen;
  std::shared_ptr<GdiBrush> brush;
  std::shared_ptr<GdiFont> font;
  std::shared_ptr<GdiBitmap> bitmap;  // the selected bitmap of a memory DC
  std::shared_ptr<GdiPalette> palette;
  COLORREF bkColor = RGB(255, 255, 255);
  COLORREF textColor = RGB(0, 0, 0);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  UINT textAlign = TA_LEFT | TA_TOP;
  int charExtra = 0;
  POINT viewportOrg, windowOrg, brushOrg, position;
  std::optional<Region> clip;  // device coordinates
  GdiPath path;
};

class GdiDC : public GdiObject {
 public:
  uint32_t ObjectType() const override { return memory ? OBJ_MEMDC : OBJ_DC; }

  // The bitmap drawn into.
  GdiBitmap* Surface() const { return target ? target.get() : state.bitmap.get(); }
  std::shared_ptr<GdiBitmap> SurfaceShared() const { return target ? target : state.bitmap; }

  // Logical to device, in 64 bits so that hostile coordinates cannot overflow.
  int64_t DevX(int64_t x) const { return x - state.windowOrg.x + state.viewportOrg.x + deviceOrigin.x; }
  int64_t DevY(int64_t y) const { return y - state.windowOrg.y + state.viewportOrg.y + deviceOrigin.y; }
  double DevXf(double x) const { return x - state.windowOrg.x + state.viewportOrg.x + deviceOrigin.x; }
  double DevYf(double y) const { return y - state.windowOrg.y + state.viewportOrg.y + deviceOrigin.y; }
  int64_t LogX(int64_t x) const { return x + state.windowOrg.x - state.viewportOrg.x - deviceOrigin.x; }
  int64_t LogY(int64_t y) const { return y + state.windowOrg.y - state.viewportOrg.y - deviceOrigin.y; }

  // Everything a drawing may touch, in device coordinates: the surface, the visible region
  // and the clip.
  Region Drawable() const;
  RECT DrawableBounds() const;
  // The rows a clip made from a shape needs: the surface's and one more on either side (no
  // other row is ever drawn, and a file's far-off coordinates must not cost a scan of them);
  // every row without a surface.
  struct Rows {
    int32_t top, bottom;
  };
  static constexpr Rows kAllRows{INT32_MIN / 2, INT32_MAX / 2};
  Rows ClipRows() const;
  // Whether one device pixel may be drawn (cheap when there is no clip or visible region).
  bool CanDraw(int64_t x, int64_t y) const;

  bool memory = true;
  std::shared_ptr<GdiBitmap> target;  // set for DCs over someone else's bitmap
  POINT deviceOrigin;
  std::optional<Region> visible;      // device coordinates
  std::optional<DeviceCaps> device;   // a printer's, when the DC stands for one
  DCState state;
  std::vector<DCState> saved;
  // Set for metafile DCs: drawing calls become records instead of pixels.
  std::shared_ptr<EmfRecorder> recorder;
};

std::shared_ptr<GdiDC> LookupDC(HDC dc);
// A logical point in device units, kept inside the int range (what metafile records hold).
POINT DevicePoint(const GdiDC& d, int64_t x, int64_t y);
