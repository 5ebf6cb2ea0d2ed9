// Fuzz entry point: JPEG data through the JPEG class: decoding (colour, grey, CMYK both ways,
// quantised and scaled, colour a band at a time, grey and colour in bands through the ICC
// profile the data carry) and compressing the result again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pdf/codecs/jpeg/jpeg_profile_rows.h"
#include "pdf/codecs/jpeg/pdf_jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    TMemoryStream stream(bytes);
    TPDFJPEGImage image;
    image.LoadFromStream(stream);
    // Large pictures only slow the search down: what decoding them exercises, small ones do too.
    if (int64_t(image.Width()) * image.Height() > (int64_t{1} << 20)) return 0;
    TBitmap* b = image.Decode();
    if (b == nullptr) std::abort();
    if (!b->Empty() && b->PixelFormat() != pf24bit && b->PixelFormat() != pf8bit) std::abort();
    // A colour picture decoded a band at a time gives the whole decode's rows, in order.
    if (!b->Empty() && b->PixelFormat() == pf24bit) {
      const int w = b->Width(), h = b->Height();
      int next = 0;
      const int drawn = image.DecodeBands(48, w, h, [&](TBitmap& band, int32_t top, int32_t rows) {
        if (top != next || rows < 1 || rows > 48 || band.Width() != w) std::abort();
        for (int r = 0; r < rows; ++r)
          if (std::memcmp(band.ScanLine(r), b->ScanLine(top + r), size_t(w) * 3) != 0) std::abort();
        next = top + rows;
        return true;
      });
      if (drawn != 0 && drawn != h) std::abort();
    }
    // A grey or colour picture in bands through the profile its data carry, and a CMYK one as
    // its samples, as drawn pages take them: every row once, in order.
    const int32_t w = image.Image->Width, h = image.Image->Height;
    const TPDFJPEGImage::TPictureKind kind = TPDFJPEGImage::PictureKind(bytes, w, h);
    if (kind != TPDFJPEGImage::TPictureKind::Other) {
      const bool cmyk = kind == TPDFJPEGImage::TPictureKind::CMYK;
      const TJPEGProfileRows toSRGB(cmyk ? std::string() : bytes, kind == TPDFJPEGImage::TPictureKind::Grey);
      int next = 0;
      const int drawn = image.DecodeBands(
          48, w, h,
          [&](TBitmap& band, int32_t top, int32_t rows) {
            if (top != next || rows < 1 || rows > 48 || band.Width() != w) std::abort();
            if (band.PixelFormat() != (cmyk ? pf32bit : pf24bit)) std::abort();
            if (!cmyk) toSRGB.Apply(band, rows);
            next = top + rows;
            return true;
          },
          kind);
      if (drawn != 0 && drawn != h) std::abort();
    }
    // Decoding again replaces the bitmap.
    image.DecodeRawCMYK();
    b = image.Decode();
    // Small results go through the compressor and back.
    if (!b->Empty() && int64_t(b->Width()) * b->Height() <= 4096) {
      TPDFJPEGImage again;
      again.Assign(*b);
      TMemoryStream out;
      again.SaveToStream(out);
      if (out.Size() == 0) std::abort();
    }
  }
  {
    TMemoryStream stream(bytes);
    TPDFJPEGImage image;
    image.PixelFormat = jf8Bit;
    image.Performance = jpBestSpeed;
    image.Scale = 1;
    image.Grayscale = size % 2 == 1;
    image.LoadFromStream(stream);
    image.Decode();
  }
  return 0;
}
