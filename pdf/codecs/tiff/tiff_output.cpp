#include "pdf/codecs/tiff/tiff_output.h"

#include <cmath>
#include <exception>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/gdiplus_binding.h"
#include "pdf/render/canvas/gdiplus_settings.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_writer.h"
#include "platform/rtl/streams.h"

namespace {

constexpr int64_t kBmpHeadersSize = 54;

// The bitmap as a BMP with the resolution in its header; false when it could not be saved.
bool SaveResolvedBMP(TBitmap& bitmap, double dpi, TMemoryStream& bmp) {
  bitmap.SaveToStream(bmp);
  if (bmp.Size() < kBmpHeadersSize) return false;
  if (dpi > 0) PatchBmpResolution(bmp, 0, PixelsPerMetre(dpi));
  bmp.SetPosition(0);
  return true;
}

enum class TTIFFKind { Colour, Monochrome };

bool SaveThroughGDIPlus(TBitmap& bitmap, TStream& stream, const TGDIPlusSettings& options, double dpi,
                        TTIFFKind kind) {
  if (bitmap.Empty()) return false;
  const int64_t start = stream.Position();
  const int64_t startSize = stream.Size();
  bool written = false;
  try {
    TMemoryStream bmp;
    if (SaveResolvedBMP(bitmap, dpi, bmp)) {
      TPDFDaubrix canvas;
      canvas.Setup(&bitmap.Canvas(), options);
      if (canvas.BackEnd() == kBackEndGDIPlus) {
        if (kind == TTIFFKind::Monochrome) {
          written = canvas.SaveImageStreamAsTIFF(bmp, stream);
        } else {
          gdiplus::CLSID encoder{};
          if (TWZRXGDIPlus::GetEncoderClsid(canvas.GDIPlus(), u"image/tiff", encoder))
            written = canvas.ConvertImageStream(bmp, stream, encoder);
        }
      }
    }
  } catch (const std::exception&) {
    written = false;
  }
  // A TIFF that was not written whole leaves nothing behind.
  if (written && stream.Size() > startSize) return true;
  if (stream.Size() > startSize) stream.SetSize(startSize);
  stream.SetPosition(start);
  return false;
}

}  // namespace

void ApplyMonochromeThreshold(TBitmap& Bitmap, int32_t Threshold) {
  if (Threshold <= 0 || Bitmap.Empty() || Bitmap.PixelFormat() != pf24bit) return;
  // Three times the threshold may pass the 32-bit range.
  const int64_t limit = 3 * int64_t(Threshold);
  GdiBitmap& dib = Bitmap.Dib();
  for (int32_t y = 0; y < dib.Height(); ++y) {
    uint8_t* p = dib.Row(y);
    for (int32_t x = 0; x < dib.Width(); ++x, p += 3)
      if (int64_t(p[0]) + p[1] + p[2] < limit) p[0] = p[1] = p[2] = 0;
  }
  Bitmap.Modified = true;
}

bool SaveBitmapAsTIFF(TBitmap& Bitmap, TStream& Stream, const TGDIPlusSettings& Options, double Dpi) {
  return SaveThroughGDIPlus(Bitmap, Stream, Options, Dpi, TTIFFKind::Colour);
}

bool SaveBitmapAsMonochromeTIFF(TBitmap& Bitmap, TStream& Stream, const TGDIPlusSettings& Options, double Dpi) {
  ApplyMonochromeThreshold(Bitmap, Options.MonochromeThreshold);
  return SaveThroughGDIPlus(Bitmap, Stream, Options, Dpi, TTIFFKind::Monochrome);
}
