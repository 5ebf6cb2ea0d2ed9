#include "platform/gdi/metafile_canvas.h"

#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile/metafile_dc.h"

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, HDC reference) : metafile_(metafile) {
  RECT frame{0, 0, metafile.MMWidth(), metafile.MMHeight()};
  if (frame.right <= 0 || frame.bottom <= 0) {
    HDC screen = reference ? nullptr : CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC ref = reference ? reference : screen;
    const int64_t dpiX = std::max(1, GetDeviceCaps(ref, LOGPIXELSX)), dpiY = std::max(1, GetDeviceCaps(ref, LOGPIXELSY));
    if (screen) DeleteDC(screen);
    // Pixels to hundredths of a millimetre, rounded so that they come back as the same pixels.
    frame.right = int32_t(std::min<int64_t>((int64_t(metafile.Width()) * 2540 + dpiX / 2) / dpiX, INT32_MAX));
    frame.bottom = int32_t(std::min<int64_t>((int64_t(metafile.Height()) * 2540 + dpiY / 2) / dpiY, INT32_MAX));
  }
  recording_ = CreateEnhMetaFileA(reference, nullptr, &frame, nullptr);
  if (!recording_) throw EInvalidGraphicOperation("Cannot create a metafile of an empty size");
  SetHandle(recording_);
}

TMetafileCanvas::~TMetafileCanvas() {
  // The canvas lets go of its pen, brush and font before the recording closes.
  SetHandle(nullptr);
  metafile_.SetHandle(CloseEnhMetaFile(recording_));
}
