// Raster writers entry point: a small bitmap made from the input goes through the GIF writer
// (read back by the library's GIF decoder, which must see the quantised pixels) and through
// the black-and-white ditherer; the input's bytes also go straight through the LZW encoder.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "pdf/codecs/dither/dither.h"
#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/codecs/gif/gif_lzw_encoder.h"
#include "pdf/codecs/gif/gif_writer.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int width = 1 + data[0] % 64, height = 1 + data[1] % 64;
  const std::span<const uint8_t> body(data + 2, size - 2);

  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  size_t at = 0;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width * 3; ++x) row[x] = body[at++ % body.size()];
  }

  TBitmap dithered;
  dithered.SetPixelFormat(pf8bit);
  dithered.SetSize(width, height);
  if (!DitherToMonochrome(bitmap, dithered)) std::abort();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (dithered.ScanLine(y)[x] > 1) std::abort();

  TPDFGIFWriter writer;
  if (!writer.SetBitmap(bitmap)) std::abort();
  TMemoryStream gif;
  if (!writer.SaveToStream(gif)) std::abort();
  gif.SetPosition(0);
  TPDFGIFDecoder decoder;
  decoder.LoadFromStream(gif);
  TBitmap back;
  if (!decoder.GetFrameBitmap(back) || back.Width() != width || back.Height() != height) std::abort();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (back.Dib().GetColor(x, y) != writer.QuantizedBitmap->Dib().GetColor(x, y)) std::abort();

  // The raw bytes as one row of pixels at the code size the first byte picks.
  TMemoryStream lzw;
  TGIFEncoder encoder;
  const int32_t count = static_cast<int32_t>(body.size() > 1 << 20 ? 1 << 20 : body.size());
  encoder.Encode(lzw, data[0] % 9, body.first(size_t(count)), count, 1);
  if (lzw.Size() < 4) std::abort();
  return 0;
}
