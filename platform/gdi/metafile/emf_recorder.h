// What a metafile device context records: each drawing call becomes its EMF record (in the
// DC's device units, which are the picture's pixels), preceded by the pens, brushes and modes
// that the DC holds when they differ from those recorded last. Pixels that something paints
// straight into the DC's bitmap (another graphics library, an image blit) go to a transparent
// layer and are recorded as an alpha-blended bitmap before the next drawing record.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/metafile/emf_layer.h"
#include "platform/gdi/metafile/emf_types.h"
#include "platform/gdi/metafile/emf_writer.h"

class GdiDC;
class GdiBitmap;
class GdiBrush;
class GdiPen;

class EmfRecorder {
 public:
  // `size`: the picture in pixels; `frame`: the same in hundredths of a millimetre; the
  // reference device's size in pixels and millimetres.
  EmfRecorder(SIZEL size, const RECTL& frame, SIZEL devicePixels, SIZEL deviceMillimetres);
  ~EmfRecorder();

  // The transparent layer for pixels painted straight into the DC's bitmap.
  EmfLayer& Layer() { return layer_; }

  // Path bracket and current position (no pen or brush involved).
  void Simple(DWORD type);
  void MoveTo(POINT p);
  // The end of a path bracket, with the pen and brush the DC holds then: readers that draw
  // the path as it closes take those.
  void EndPath(const GdiDC& dc);
  // Lines and curves: EMR_LINETO, EMR_POLYLINETO, EMR_POLYBEZIERTO, EMR_POLYLINE, EMR_POLYGON,
  // EMR_POLYBEZIER; `drawing` when they paint rather than add to a path.
  void Points(const GdiDC& dc, DWORD type, std::span<const POINT> points, bool drawing);
  void PolyPolygon(const GdiDC& dc, std::span<const POINT> points, std::span<const int> counts, bool drawing);
  // EMR_RECTANGLE, EMR_ELLIPSE with the inclusive-exclusive box of the call.
  void Box(const GdiDC& dc, DWORD type, const RECT& box, bool drawing);
  // EMR_FILLPATH, EMR_STROKEPATH, EMR_STROKEANDFILLPATH.
  void PaintPath(const GdiDC& dc, DWORD type);
  // A rectangle filled with a brush that the DC need not hold.
  void FillRect(const GdiDC& dc, const RECT& r, const GdiBrush& brush);

  // Everything recorded, closed with EMR_EOF; the recorder is spent afterwards.
  std::vector<uint8_t> Close();

 private:
  struct ObjectKey {
    bool pen = true;
    DWORD style = 0;
    int32_t width = 0;
    COLORREF color = 0;
    int32_t hatch = 0;
    std::vector<DWORD> dashes;
    bool extended = false;
    bool operator==(const ObjectKey&) const = default;
  };
  struct Slot {
    std::optional<ObjectKey> key;
    uint64_t lastUse = 0;
  };

  // Brings the recorded pen, brush and modes to the DC's, after recording the layer.
  void Sync(const GdiDC& dc, bool drawing);
  void SelectPen(const GdiPen& pen);
  void SelectBrush(const GdiBrush& brush);
  void Select(std::optional<ObjectKey>& current, const ObjectKey& key, uint32_t stock);
  uint32_t Create(const ObjectKey& key);
  void SetMode(uint32_t& recorded, DWORD type, uint32_t value);
  void FlushLayer(bool last = false);
  void CloseBracket();
  RECTL Bounds() const;

  EmfWriter writer_;
  SIZEL size_;
  std::vector<Slot> slots_;  // EMF object index i + 1
  uint64_t uses_ = 0;
  // What the playing DC holds: unknown at first, so that the first drawing selects both.
  std::optional<ObjectKey> pen_, brush_;
  uint32_t polyFill_ = 1, rop2_ = 13, bkMode_ = 2, bkColor_ = 0xFFFFFF;
  EmfLayer layer_;
  bool inPath_ = false;  // a path bracket is open
};
