// The render side of the road for one large picture: decoding an image XObject (Flate RGB
// samples, the same with a soft mask, a JPEG) and drawing it on a page bitmap, next to a plain
// inflate and a plain libjpeg-turbo decode of the same data. Usage: bench_image_decoder
// [width height [provider path]]
#include "pdf/codecs/image_decoder/image_decoder.h"

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "bench/measure.h"
#include "bench/plain_decoders.h"
#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"

namespace {

using benchmeasure::BestMs;
using benchmeasure::PeakMiB;

std::string Samples(int w, int h) {
  std::string s(size_t(w) * size_t(h) * 3, '\0');
  std::mt19937 rng(1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      char* p = &s[(size_t(y) * size_t(w) + size_t(x)) * 3];
      p[0] = char(x / 7 + (rng() & 7));
      p[1] = char(y / 5);
      p[2] = char((x + y) / 9);
    }
  return s;
}

std::string Jpeg(const std::string& rgb, int w, int h) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.ScanLine(y);
    const char* src = &rgb[size_t(y) * size_t(w) * 3];
    for (int x = 0; x < w; ++x) {
      row[3 * x] = uint8_t(src[3 * x + 2]);
      row[3 * x + 1] = uint8_t(src[3 * x + 1]);
      row[3 * x + 2] = uint8_t(src[3 * x]);
    }
  }
  TPDFJPEGImage j;
  j.Assign(b);
  TMemoryStream out;
  j.SaveToStream(out);
  return out.DataString();
}


}  // namespace

int main(int argc, char** argv) {
  const int w = argc > 2 ? std::atoi(argv[1]) : 3000, h = argc > 2 ? std::atoi(argv[2]) : 2000;
  const std::string provider = argc > 3 ? argv[3] : "libvelmora-gdiplus.so";
  const std::string rgb = Samples(w, h);
  const std::string flate = FlateCompressString(rgb);
  const std::string jpeg = Jpeg(rgb, w, h);
  std::printf("picture %d x %d: Flate %zu bytes, JPEG %zu bytes\n", w, h, flate.size(), jpeg.size());

  TPDFStructure store;
  auto image = [&](const std::string& data, const char* filter) {
    TPDFStream* s = store.NewStream(data, false);
    auto* d = s->Dictionary();
    d->SetValue("Width", store.NewNumeric(w));
    d->SetValue("Height", store.NewNumeric(h));
    d->SetValue("BitsPerComponent", store.NewNumeric(8));
    d->SetValue("ColorSpace", store.NewName("DeviceRGB"));
    d->SetValue("Filter", store.NewName(filter));
    return s;
  };
  TPDFStream* flateImage = image(flate, "FlateDecode");
  TPDFStream* jpegImage = image(jpeg, "DCTDecode");
  TPDFStream* masked = image(flate, "FlateDecode");
  {
    TPDFStream* smask = store.NewStream(FlateCompressString(std::string(size_t(w) * size_t(h), '\x80')), false);
    auto* d = smask->Dictionary();
    d->SetValue("Width", store.NewNumeric(w));
    d->SetValue("Height", store.NewNumeric(h));
    d->SetValue("BitsPerComponent", store.NewNumeric(8));
    d->SetValue("ColorSpace", store.NewName("DeviceGray"));
    d->SetValue("Filter", store.NewName("FlateDecode"));
    masked->Dictionary()->SetValue("SMask", smask);
  }

  TGDIPlusSettings settings;
  InitDaubrixOptions(settings);
  settings.LibraryPath = FileNameToWide(provider);
  auto road = [&](TPDFStream* s, uint8_t backEnd) {
    TPDFImageDecoder d;
    d.Settings = settings;
    d.SetImage(s);
    if (d.Failed) std::printf("  (decoding failed)\n");
    TBitmap page;
    page.SetPixelFormat(pf24bit);
    page.SetSize(w + 2, h + 2);
    TPDFDaubrix canvas;
    if (backEnd == kBackEndGDI)
      canvas.SetTarget(&page.Canvas());
    else
      canvas.Setup(&page.Canvas(), settings);
    d.DrawImage(canvas, {double(w), 0, 0, -double(h), 1, double(h) + 1}, 0);
  };
  auto decodeOnly = [&](TPDFStream* s) {
    TPDFImageDecoder d;
    d.Settings = settings;
    d.SetImage(s);
  };

  std::printf("plain inflate                 %8.1f ms\n", BestMs([&] { FlateDecompressString(flate); }));
  std::printf("decode Flate RGB (PNG made)   %8.1f ms\n", BestMs([&] { decodeOnly(flateImage); }));
  std::printf("  and draw, GDI+              %8.1f ms\n", BestMs([&] { road(flateImage, kBackEndGDIPlus); }));
  std::printf("  and draw, GDI               %8.1f ms\n", BestMs([&] { road(flateImage, kBackEndGDI); }));
  std::printf("decode with soft mask         %8.1f ms\n", BestMs([&] { decodeOnly(masked); }));
  std::printf("  and draw, GDI+              %8.1f ms\n", BestMs([&] { road(masked, kBackEndGDIPlus); }));
  std::printf("plain libjpeg-turbo decode    %8.1f ms\n", BestMs([&] { benchplain::PlainJpegBytes(jpeg, JCS_RGB); }));
  std::printf("JPEG class decode               %8.1f ms\n", BestMs([&] {
                TPDFJPEGImage j;
                TMemoryStream in(jpeg);
                j.LoadFromStream(in);
                j.Decode();
              }));
  std::printf("decode JPEG (through canvas)  %8.1f ms\n", BestMs([&] { decodeOnly(jpegImage); }));
  std::printf("  and draw, GDI+              %8.1f ms\n", BestMs([&] { road(jpegImage, kBackEndGDIPlus); }));
  std::printf("peak memory                   %8ld MiB\n", PeakMiB());
  return 0;
}
