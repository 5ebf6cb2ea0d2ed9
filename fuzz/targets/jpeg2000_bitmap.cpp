// Fuzz entry point: JPEG 2000 data (JP2 files and codestreams) through the JPEG 2000 bitmap,
// with the layout reader's answers checked, and small pictures saved again.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "pdf/codecs/jpeg2000/jpeg2000_bitmap.h"
#include "pdf/codecs/jpeg2000/jpeg2000_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const TJpeg2000Layout layout = ReadJpeg2000Layout(bytes);
  if (layout.CodestreamEnd < layout.CodestreamStart || layout.CodestreamEnd > int64_t(size)) std::abort();
  // Large pictures only slow the search down: what decoding them exercises, small ones do too.
  if (layout.Header.Valid && layout.Header.Samples > (int64_t{1} << 22)) return 0;

  TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
  TJpeg2000Bitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const EJpeg2000Error&) {
    if (!bitmap.Empty()) std::abort();
    return 0;
  }
  const TPixelFormat format = bitmap.PixelFormat();
  if (bitmap.Empty() || (format != pf8bit && format != pf24bit && format != pf32bit)) std::abort();
  if (stream.Position() > int64_t(size) || stream.Position() < 8) std::abort();
  if (int64_t(bitmap.Width()) * bitmap.Height() <= 4096) {
    TMemoryStream out;
    bitmap.SaveToStream(out);
    if (out.Size() < 12) std::abort();
  }
  return 0;
}
