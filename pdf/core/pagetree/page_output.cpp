#include "pdf/core/pagetree/page_output.h"

#include <cmath>

#include "pdf/codecs/gif/gif_writer.h"
#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/codecs/png/png_writer.h"
#include "pdf/codecs/tiff/tiff_output.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_writer.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/streams.h"

namespace {

constexpr int64_t kBmpResolutionPatchMin = 48;

bool WriteBMP(TBitmap& bitmap, double dpi, TStream& stream, std::string& message) {
  const int64_t start = stream.Position();
  try {
    bitmap.SaveToStream(stream);
    if (stream.Size() - start < kBmpResolutionPatchMin) {
      message = "BMP output failed: the bitmap was not written";
      return false;
    }
    // The fields lie in the header of this BMP, wherever it starts in the stream.
    PatchBmpResolution(stream, start, PixelsPerMetre(dpi));
    return true;
  } catch (const std::exception& e) {
    message = std::string("BMP output failed: ") + e.what();
  } catch (...) {
    message = "BMP output failed";
  }
  stream.SetPosition(start);
  return false;
}

int32_t RoundDPI(double dpi) { return ClampToInt32(RoundHalfEven(dpi)); }

bool WriteGIF(TBitmap& bitmap, TStream& stream, std::string& message) {
  TPDFGIFWriter gif;
  if (!gif.SetBitmap(bitmap) || !gif.SaveToStream(stream)) {
    message = "GIF output failed: the bitmap could not be written as GIF";
    return false;
  }
  return true;
}

bool WriteTIFF(TBitmap& bitmap, int format, double dpi, const TGDIPlusSettings& settings, TStream& stream,
               std::string& message) {
  const bool written = format == 10 ? SaveBitmapAsMonochromeTIFF(bitmap, stream, settings, dpi)
                                    : SaveBitmapAsTIFF(bitmap, stream, settings, dpi);
  if (!written) message = "TIFF output failed: no TIFF encoder could write the bitmap";
  return written;
}

}  // namespace

bool WritePageBitmap(TBitmap& bitmap, int format, double dpi, int jpegQuality, const TGDIPlusSettings& settings,
                     TStream& stream, std::string& message) {
  switch (format) {
    case 0: return WriteBMP(bitmap, dpi, stream, message);
    case 1: {
      TPDFJPEGImage jpeg;
      jpeg.Quality = static_cast<uint8_t>(jpegQuality < 1 ? 1 : jpegQuality > 100 ? 100 : jpegQuality);
      jpeg.Resolution = RoundDPI(dpi);
      jpeg.Assign(bitmap);
      jpeg.SaveToStream(stream);
      return true;
    }
    case 5: {
      TPNGWriter png(bitmap);
      png.SetResolution(RoundDPI(dpi));
      png.SaveToStream(stream);
      return true;
    }
    case 6: return WriteGIF(bitmap, stream, message);
    case 7:
    case 10: return WriteTIFF(bitmap, format, dpi, settings, stream, message);
    default: return true;
  }
}
