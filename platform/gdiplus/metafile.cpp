// Recording metafiles: the metafile image, its Graphics, and the end of the recording when
// the image is disposed of.
#include <cmath>
#include <cstdio>

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

// The size in device pixels of a recording asked for, or why there is none.
GpStatus CheckRecording(bool target, GpHDC referenceHdc, EmfType type, const GpRectF* frame, MetafileFrameUnit unit,
                        GpMetafile** metafile, int32_t& width, int32_t& height) {
  if (!target || !referenceHdc || !frame || !metafile) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  // Only EMF+ records are written: a file that also carries GDI records is not made.
  if (type != EmfTypeEmfPlusOnly) return NotImplemented;
  const double scale = PixelsPerUnit(unit);
  if (scale == 0) return InvalidParameter;
  const double w = std::ceil(double(frame->Width) * scale), h = std::ceil(double(frame->Height) * scale);
  if (!(w >= 1 && h >= 1 && w * h <= double(kMaxPixels))) return InvalidParameter;
  width = int32_t(w), height = int32_t(h);
  return Ok;
}

// target: the stream, or the open file the recorder takes over.
template <class Target>
GpStatus BeginRecording(Target target, int32_t width, int32_t height, GpMetafile** metafile) {
  return Guarded([&] {
    auto m = std::make_unique<GpMetafile>();
    m->type = ImageTypeMetafile;
    m->rawFormat = ImageFormatEMF;
    m->recorder = std::make_shared<MetafileRecorder>(target, width, height);
    *metafile = m.release();
    return Ok;
  });
}

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

GpStatus GdipRecordMetafileFileName(const WCHAR* fileName, GpHDC referenceHdc, EmfType type, const GpRectF* frame,
                                    MetafileFrameUnit unit, const WCHAR*, GpMetafile** metafile) {
  if (metafile) *metafile = nullptr;
  int32_t w = 0, h = 0;
  const GpStatus st = CheckRecording(fileName != nullptr, referenceHdc, type, frame, unit, metafile, w, h);
  if (st != Ok) return st;
  // The file is made at once and written when the recording ends.
  std::FILE* file = std::fopen(FileName(fileName).c_str(), "wb");
  if (!file) return Win32Error;
  const GpStatus made = BeginRecording(file, w, h, metafile);
  if (made != Ok && *metafile == nullptr) std::fclose(file);
  return made;
}

GpStatus GdipRecordMetafileStream(IStream* stream, GpHDC referenceHdc, EmfType type, const GpRectF* frame,
                                  MetafileFrameUnit unit, const WCHAR*, GpMetafile** metafile) {
  if (metafile) *metafile = nullptr;
  int32_t w = 0, h = 0;
  const GpStatus st = CheckRecording(stream != nullptr, referenceHdc, type, frame, unit, metafile, w, h);
  return st == Ok ? BeginRecording(stream, w, h, metafile) : st;
}

}  // extern "C"
}  // namespace gdiplus
