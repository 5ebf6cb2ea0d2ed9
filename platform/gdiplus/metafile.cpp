// Recording metafiles: the metafile image, its Graphics, and the end of the recording when
// the image is disposed of.
#include <cmath>

#include "platform/gdiplus/gp_internal.h"
#include "platform/gdiplus/metafile_recorder.h"

namespace gdiplus {
namespace {

// Device pixels (of the 96 dpi reference display) per frame unit; 0 for a unit not known.
double PixelsPerUnit(MetafileFrameUnit unit) {
  switch (unit) {
    case MetafileFrameUnitPixel: return 1;
    case MetafileFrameUnitPoint: return 96.0 / 72.0;
    case MetafileFrameUnitInch: return 96;
    case MetafileFrameUnitDocument: return 96.0 / 300.0;
    case MetafileFrameUnitMillimeter: return 96.0 / 25.4;
    case MetafileFrameUnitGdi: return 96.0 / 2540.0;
  }
  return 0;
}

// A recording target has a size but no pixels: nothing paints on it.
class RecordingTarget : public PixelTarget {
 public:
  RecordingTarget(int32_t width, int32_t height) { plane_.Borrow(nullptr, 0, width, height, PixelFormat32bppARGB); }
  Plane& plane() override { return plane_; }

 private:
  Plane plane_;
};

}  // namespace

GpStatus NewRecordingGraphics(GpMetafile& metafile, GpGraphics** graphics) {
  MetafileRecorder* recorder = metafile.recorder.get();
  if (!recorder || recorder->ended() || recorder->graphicsTaken) return InvalidParameter;
  auto g = NewGraphics(std::make_unique<RecordingTarget>(recorder->width(), recorder->height()));
  g->recorder = metafile.recorder;
  recorder->graphicsTaken = true;
  *graphics = g.release();
  return Ok;
}

GpStatus EndRecording(GpMetafile& metafile) {
  return metafile.recorder ? metafile.recorder->End() : Ok;
}

extern "C" {

GpStatus GdipRecordMetafileStream(IStream* stream, GpHDC referenceHdc, EmfType type, const GpRectF* frame,
                                  MetafileFrameUnit unit, const WCHAR*, GpMetafile** metafile) {
  if (metafile) *metafile = nullptr;
  if (!stream || !referenceHdc || !frame || !metafile) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  // Only EMF+ records are written: a file that also carries GDI records is not made.
  if (type != EmfTypeEmfPlusOnly) return NotImplemented;
  const double scale = PixelsPerUnit(unit);
  if (scale == 0) return InvalidParameter;
  const double w = std::ceil(double(frame->Width) * scale), h = std::ceil(double(frame->Height) * scale);
  if (!(w >= 1 && h >= 1 && w * h <= double(kMaxPixels))) return InvalidParameter;
  return Guarded([&] {
    auto m = std::make_unique<GpMetafile>();
    m->type = ImageTypeMetafile;
    m->rawFormat = ImageFormatEMF;
    m->recorder = std::make_shared<MetafileRecorder>(stream, int32_t(w), int32_t(h));
    *metafile = m.release();
    return Ok;
  });
}

}  // extern "C"
}  // namespace gdiplus
