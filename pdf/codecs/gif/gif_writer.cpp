#include "pdf/codecs/gif/gif_writer.h"

#include <exception>
#include <string>

#include "pdf/codecs/gif/gif_lzw_encoder.h"
#include "pdf/codecs/gif/gif_quantizer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/palette.h"
#include "platform/rtl/streams.h"

namespace {

void PutLE16(std::string& out, int32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

TPDFGIFWriter::TPDFGIFWriter() = default;
TPDFGIFWriter::~TPDFGIFWriter() = default;

bool TPDFGIFWriter::SetBitmap(TBitmap& Bitmap) {
  QuantizedBitmap.reset();
  Width = Height = 0;
  PaletteEntries = {};
  if (Bitmap.Empty() || Bitmap.Width() > kMaxSide || Bitmap.Height() > kMaxSide) return false;
  try {
    if (Bitmap.PixelFormat() != pf24bit) Bitmap.SetPixelFormat(pf24bit);
    TColorQuantizer quantizer(256, 8);
    std::unique_ptr<TBitmap> quantized = quantizer.Quantize(Bitmap);
    if (!quantized) return false;
    const HPALETTE palette = quantized->Palette();
    if (palette == nullptr || GetPaletteEntries(palette, 0, 256, PaletteEntries.data()) != 256) return false;
    Width = quantized->Width();
    Height = quantized->Height();
    QuantizedBitmap = std::move(quantized);
    return true;
  } catch (const std::exception&) {
    // A bitmap the platform cannot convert or allocate is not written.
    PaletteEntries = {};
    return false;
  }
}

bool TPDFGIFWriter::SaveToStream(TStream& Stream) {
  if (!QuantizedBitmap) return false;
  std::string head = "GIF87a";
  PutLE16(head, Width);
  PutLE16(head, Height);
  head += '\x70';  // no global colour table, 8 bits of colour resolution
  head += '\0';    // background index
  head += '\0';    // aspect
  head += ',';
  PutLE16(head, 0);
  PutLE16(head, 0);
  PutLE16(head, Width);
  PutLE16(head, Height);
  head += '\x87';  // local colour table of 256 entries, not interlaced, not sorted
  for (const PALETTEENTRY& e : PaletteEntries) {
    head += static_cast<char>(e.peRed);
    head += static_cast<char>(e.peGreen);
    head += static_cast<char>(e.peBlue);
  }
  Stream.WriteString(head);
  GdiBitmap& pixels = QuantizedBitmap->Dib();
  TGIFEncoder encoder;
  encoder.Encode(
      Stream, 8, [&pixels](int32_t y) -> const uint8_t* { return pixels.Row(y); }, Width, Height);
  Stream.WriteString(";");
  return true;
}
