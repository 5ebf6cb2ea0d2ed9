// JBIG2 images: the JBIG2 decoder's page (with the image's JBIG2Globals segments) as a
// one-bit bitmap with a two-entry palette, or as PNG data for a stencil mask.
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/jbig2/jbig2_decoder.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"

using namespace imgdec;

namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

}  // namespace

COLORREF TPDFImageDecoder::IndexedEntryColor(int j) {
  const auto* lut = reinterpret_cast<const uint8_t*>(Lookup.data());
  const size_t size = Lookup.size();
  if (IndexedBase == "DeviceGray") return size > size_t(j) ? RGB(lut[j], lut[j], lut[j]) : RGB(0, 0, 0);
  if (IndexedBase == "DeviceRGB")
    return size >= size_t(3 * j + 3) ? RGB(lut[3 * j], lut[3 * j + 1], lut[3 * j + 2]) : RGB(0, 0, 0);
  if (IndexedBase == "DeviceCMYK" && size >= size_t(4 * j + 4) && ColorManager) {
    double r, g, b;
    ColorManager->CMYKToRGB(lut[4 * j] / 255.0, lut[4 * j + 1] / 255.0, lut[4 * j + 2] / 255.0, lut[4 * j + 3] / 255.0,
                            r, g, b);
    return RGB(ComponentByte(r), ComponentByte(g), ComponentByte(b));
  }
  return RGB(0, 0, 0);
}

void TPDFImageDecoder::DecodeJBIG2(TPDFObject* Globals) {
  Decoded = false;
  std::string globals;
  if (Globals) {
    if (auto* stream = PDFCast<TPDFStream>(ResolveReference(Globals))) DecodeReferencedStream(Globals, *stream, globals);
  }
  TZRXJBIG2Decoder decoder;
  const bool ok = globals.empty() ? decoder.DecodeWithoutGlobals(Bytes(Data)) : decoder.Decode(Bytes(Data), Bytes(globals));
  if (!ok) return Fail();
  const int32_t w = decoder.Width(), h = decoder.Height();
  if (!ImageSizeAccepted(w, h)) return Fail();
  Decoded = true;

  // Decoded pixels are 1 for black; the palette says what each becomes.
  COLORREF e0 = RGB(255, 255, 255), e1 = RGB(0, 0, 0);
  if (ColorSpace.empty() && MaskKind != kMaskStencil) {
    std::swap(e0, e1);
  } else if (ColorSpace == "Indexed" && HiVal >= 1 && MaskKind != kMaskStencil) {
    e0 = IndexedEntryColor(1);
    e1 = IndexedEntryColor(0);
  }
  const bool inverted = DecodeStartsInverted(Decode);
  if (inverted) std::swap(e0, e1);

  try {
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetPixelFormat(pf1bit);
    Bitmap->SetSize(w, h);
  } catch (const std::exception&) {
    BitmapFailed = true;
    return Fail();
  }
  const RGBQUAD colors[2] = {{GetBValue(e0), GetGValue(e0), GetRValue(e0), 0},
                             {GetBValue(e1), GetGValue(e1), GetRValue(e1), 0}};
  Bitmap->Dib().SetColors(colors);
  // A mask read through an inverted Decode takes the complement of every pixel.
  const bool complement = IsMaskDecoder && inverted;
  const int64_t rowBytes = decoder.LineBytes();
  const std::vector<uint8_t>& rows = decoder.PackedRows();
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* line = Bitmap->ScanLine(y);
    std::memcpy(line, rows.data() + y * rowBytes, size_t(rowBytes));
    if (complement)
      for (int64_t i = 0; i < rowBytes; ++i) line[i] = uint8_t(~line[i]);
  }
  std::string().swap(Data);

  if (MaskKind == kMaskStencil && !IsMaskDecoder) {
    // The stencil's palette with its entries exchanged: the fill colour goes to the painted
    // entry when the image is drawn.
    std::vector<uint8_t> packed(size_t(rowBytes * h));
    for (int32_t y = 0; y < h; ++y) std::memcpy(packed.data() + y * rowBytes, Bitmap->ScanLine(y), size_t(rowBytes));
    DataStream = std::make_unique<TMemoryStream>(TwoColourPNG(w, h, packed.data(), rowBytes, e1, e0));
    Bitmap.reset();
  }
}
