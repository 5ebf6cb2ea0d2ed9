// JPEG 2000 images: the JPEG 2000 bitmap's picture, with four-component pictures of a CMYK
// image turned into RGB and indexed or separation images mapped through their colours.
#include <memory>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/jpeg2000/jpeg2000_bitmap.h"
#include "pdf/render/colour/color_manager.h"

using namespace imgdec;

namespace {

// Pixels of C, M, Y, K in bytes 3, 2, 1, 0 become opaque RGB pixels, then the bitmap 24-bit.
void ConvertCMYKPixels(TBitmap& bitmap, const TPDFColorManager& manager) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 4) {
      double r, g, b;
      manager.CMYKToRGB(p[3] / 255.0, p[2] / 255.0, p[1] / 255.0, p[0] / 255.0, r, g, b);
      p[0] = ComponentByte(b);
      p[1] = ComponentByte(g);
      p[2] = ComponentByte(r);
      p[3] = 255;
    }
  }
  bitmap.SetPixelFormat(pf24bit);
}

}  // namespace

void TPDFImageDecoder::DecodeJPX() {
  TJpeg2000Bitmap picture;
  try {
    TMemoryStream source(Data);
    picture.LoadFromStream(source);
  } catch (const std::exception&) {
    return Fail();
  }
  // The picture's pixels move into a plain bitmap: the decoder's own bitmap saves as BMP.
  const TPixelFormat format = picture.PixelFormat();
  Bitmap = std::make_unique<TBitmap>();
  Bitmap->Dib().TakeFrom(picture.Dib());
  Bitmap->SetPixelFormat(format);
  std::string().swap(Data);
  if (format == pf32bit && ColorSpace == "DeviceCMYK" && ColorManager) ConvertCMYKPixels(*Bitmap, *ColorManager);
  Decoded = true;
  if (ColorSpace == "Indexed") {
    // A JPEG 2000 image's depth is the picture's own; the dictionary's may be absent.
    if (Bitmap->PixelFormat() == pf8bit) BitsPerComponent = 8;
    ExpandIndexedBitmap();
  }
  else if (ColorSpace == "Separation")
    ConvertSeparation();
}
