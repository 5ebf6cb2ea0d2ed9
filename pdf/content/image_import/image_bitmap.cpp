// Bitmaps (BMP files and decoded pictures) become image XObjects of samples.
#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "pdf/content/image_import/bitmap_samples.h"
#include "pdf/content/image_import/bmp_samples.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "platform/rtl/numbers.h"

namespace {

int32_t LittleEndian32(std::string_view d, size_t at) {
  if (at + 4 > d.size()) return 0;
  return int32_t(uint32_t(uint8_t(d[at])) | (uint32_t(uint8_t(d[at + 1])) << 8) |
                 (uint32_t(uint8_t(d[at + 2])) << 16) | (uint32_t(uint8_t(d[at + 3])) << 24));
}

int32_t DotsPerInch(int32_t pelsPerMeter) { return int32_t(RoundHalfEven(pelsPerMeter / 1000.0 * 25.4)); }

// The samples of a 16-bit bitmap (5-5-5 or 5-6-5), read through the bitmap itself.
std::string Packed16Rows(TBitmap& bitmap, bool flip) {
  const GdiBitmap& dib = bitmap.Dib();
  const int w = dib.Width();
  std::string data(size_t(int64_t(w) * 3 * dib.Height()), '\0');
  uint8_t* dst = reinterpret_cast<uint8_t*>(data.data());
  for (int y = 0; y < dib.Height(); ++y) {
    const int row = flip ? dib.Height() - 1 - y : y;
    for (int x = 0; x < w; ++x, dst += 3) {
      const COLORREF c = dib.GetColor(x, row);
      dst[0] = GetRValue(c);
      dst[1] = GetGValue(c);
      dst[2] = GetBValue(c);
    }
  }
  return data;
}

// The width and height a BMP header states (core or info header; rows stored top-down count
// as many), 0 x 0 for a header that states none.
std::pair<int64_t, int64_t> StatedBitmapSize(std::string_view head) {
  const int32_t headerSize = LittleEndian32(head, 14);
  if (headerSize == 12) return {uint16_t(LittleEndian32(head, 18)), uint16_t(LittleEndian32(head, 20))};
  if (headerSize < 16) return {0, 0};
  const int64_t h = LittleEndian32(head, 22);
  return {LittleEndian32(head, 18), h < 0 ? -h : h};
}

// The size a BMP header gives; false when it names no picture the data could plausibly hold.
bool BitmapFileSize(std::string_view head, int64_t fileSize, int32_t& width, int32_t& height) {
  const auto [w, h] = StatedBitmapSize(head);
  // Run-length data can describe far more pixels than it has bytes, but not without limit.
  const int64_t allowance = std::min<int64_t>(int64_t{1} << 28, std::max<int64_t>(int64_t{1} << 22, fileSize * 256));
  if (w <= 0 || h <= 0 || w * h > allowance) return false;
  width = int32_t(w);
  height = int32_t(h);
  return true;
}

}  // namespace

bool TPDFImage::Rasterise(TBitmap& bitmap, TStream& stream, int32_t frame) {
  GDIPlusSettings.SmoothPaths = 1;
  GDIPlusSettings.UseGDIPlus = 1;
  GDIPlusSettings.ReservedFlag = 1;
  GDIPlusSettings.HighQualityImages = 1;
  GDIPlusSettings.ClipWithPaths = 1;
  GDIPlusSettings.MonochromeThreshold = 0;
  TPDFDaubrix canvas;
  canvas.Setup(&bitmap.Canvas(), GDIPlusSettings);
  stream.SetPosition(0);
  return canvas.DrawImageStream(stream, frame, 0, 0, bitmap.Width(), bitmap.Height(), false);
}

bool TPDFImage::WriteRasterised(TBitmap& bitmap) {
  // Drawn pictures always go in compressed; the caller's setting comes back afterwards.
  const int32_t saved = Compression;
  if (Compression == 0) Compression = 1;
  bool written = false;
  try {
    written = WriteBitmap(bitmap, nullptr, false, false);
  } catch (...) {
    Compression = saved;
    throw;
  }
  Compression = saved;
  return written;
}

bool TPDFImage::WriteRasterisedSamples(std::string rgb, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return false;
  Kind = 2;
  Width = w;
  Height = h;
  // As WriteRasterised: compressed unless the caller chose another setting than 0 or 1.
  return WriteSamples(std::move(rgb), w, h, "DeviceRGB", 8, {}, Compression == 0 || Compression == 1);
}

bool TPDFImage::WriteRasterisedSource(std::unique_ptr<TPDFSampleSource> rgb, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return false;
  Kind = 2;
  Width = w;
  Height = h;
  return WriteSampleSource(std::move(rgb), w, h, "DeviceRGB", 8, {}, Compression == 0 || Compression == 1);
}

bool TPDFImage::LoadBMP(TStream& stream, int32_t options) {
  stream.SetPosition(0);
  const std::string head = stream.ReadString(14 + 40);
  if (options < 0) {
    int32_t w = 0, h = 0;
    if (!BitmapFileSize(head, stream.Size(), w, h)) return false;
    try {
      // At 24 bits whatever the file's depth: a palette bitmap made here would hold the
      // default palette, not the file's, and lose its colours.
      TBitmap bitmap;
      bitmap.SetPixelFormat(pf24bit);
      bitmap.SetSize(w, h);
      if (!Rasterise(bitmap, stream, -options)) return false;
      return WriteRasterised(bitmap);
    } catch (const std::exception&) {
      return false;
    }
  }
  // Core (OS/2 1.x) headers are shorter and carry no resolution.
  if (LittleEndian32(head, 14) >= 40) {
    ResolutionX = DotsPerInch(LittleEndian32(head, 14 + 24));
    ResolutionY = DotsPerInch(LittleEndian32(head, 14 + 28));
  }
  // A picture past the size cap is refused by its header, before its file is read.
  const auto [w, h] = StatedBitmapSize(head);
  if (w > 0 && h > kMaxBitmapPixels / w) return false;
  try {
    if (KeepSource) {
      // The source kept is the bitmap saved again: the picture is read whole.
      TBitmap bitmap;
      stream.SetPosition(0);
      bitmap.LoadFromStream(stream);
      // Scan line 0 of a loaded bitmap is the top row whichever way the file stores its rows,
      // so a top-down file needs no flip.
      return WriteBitmap(bitmap, nullptr, false, false);
    }
    // The rows are read where they lie when they are drawn.
    auto samples = std::make_unique<TBMPSamples>(TDibRows::OfBmpFile(StreamBytes(stream)));
    const TBitmapSamples layout = samples->Layout();
    Kind = 2;
    Width = samples->Width();
    Height = samples->Rows();
    return WriteSampleSource(std::move(samples), Width, Height, layout.ColorSpace(), layout.Bits(), layout.Decode(),
                             Compression == 1);
  } catch (const std::exception&) {
    return false;
  }
}

bool TPDFImage::WriteBitmap(TBitmap& bitmap, const TPDFImagePageInfo* page, bool gray, bool flip) {
  const int w = bitmap.Width(), h = bitmap.Height();
  if (w <= 0 || h <= 0) return false;
  if (KeepSource) {
    TMemoryStream bmp;
    bitmap.SaveToStream(bmp);
    SourceData = bmp.DataString();
  }
  Kind = page ? 3 : 2;
  Width = w;
  Height = h;

  // The samples come straight from the pixels: no converted copy of the bitmap is made.
  const GdiBitmap& dib = bitmap.Dib();
  const TBitmapSamples layout(dib.BitsPerPixel(), dib.Colors(), page, gray);
  std::string data;
  if (layout.ConvertsLines()) {
    const int64_t rowBytes = layout.RowBytes(w);
    data.assign(size_t(rowBytes * h), '\0');
    for (int y = 0; y < h; ++y)
      layout.Convert(bitmap.ScanLine(flip ? h - 1 - y : y), w, reinterpret_cast<uint8_t*>(data.data()) + rowBytes * y);
  } else {
    data = Packed16Rows(bitmap, flip);
  }
  return WriteSamples(std::move(data), w, h, layout.ColorSpace(), layout.Bits(), layout.Decode(), Compression == 1);
}

bool TPDFImage::WriteSamples(std::string data, int32_t w, int32_t h, const std::string& colorSpace, int bits,
                             const std::vector<int>& decode, bool compressed) {
  TPDFStream* stream = Owner->NewStream({}, false);
  // The deflate waits until the document is written: a render draws the samples as they are.
  if (compressed)
    stream->TakeDataToDeflate(std::move(data));
  else
    stream->TakeData(std::move(data));
  return FinishSamples(stream, w, h, colorSpace, bits, decode, compressed);
}

bool TPDFImage::WriteSampleSource(std::unique_ptr<TPDFSampleSource> source, int32_t w, int32_t h,
                                  const std::string& colorSpace, int bits, const std::vector<int>& decode,
                                  bool compressed) {
  TPDFStream* stream = Owner->NewStream({}, false);
  stream->TakeSampleSource(std::move(source), compressed);
  return FinishSamples(stream, w, h, colorSpace, bits, decode, compressed);
}

bool TPDFImage::FinishSamples(TPDFStream* stream, int32_t w, int32_t h, const std::string& colorSpace, int bits,
                              const std::vector<int>& decode, bool compressed) {
  TPDFDictionary* d = stream->Dictionary();
  d->SetValue("Type", Owner->NewName("XObject"));
  d->SetValue("Subtype", Owner->NewName("Image"));
  d->SetValue("Width", Owner->NewNumeric(w));
  d->SetValue("Height", Owner->NewNumeric(h));
  d->SetValue("ColorSpace", Owner->NewName(colorSpace));
  d->SetValue("BitsPerComponent", Owner->NewNumeric(bits));
  if (compressed) d->SetValue("Filter", Owner->NewName("FlateDecode"));
  if (!decode.empty()) d->SetValue("Decode", Owner->NewIntegerArray(decode));
  return Finish(stream);
}
