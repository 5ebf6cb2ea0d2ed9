// The document side of the road for one large picture: importing a BMP, PNG (passed through,
// and with alpha, which is decoded) and JPEG (passed through) into a document, decoding the
// JPEG with the JPEG class next to a plain libjpeg-turbo decode, and the transient PNG in its
// stored and compressed forms. Usage: bench_image_import [width height]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include <jpeglib.h>

#include "bench/measure.h"
#include "bench/plain_decoders.h"
#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/codecs/png/png_writer.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

using benchmeasure::BestMs;
using benchmeasure::PeakMiB;

std::unique_ptr<TBitmap> Picture(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  std::mt19937 rng(1);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b->ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = uint8_t(x / 7 + (rng() & 7));
      row[3 * x + 1] = uint8_t(y / 5);
      row[3 * x + 2] = uint8_t((x + y) / 9);
    }
  }
  return b;
}

bool Import(const std::string& bytes, int options) {
  TPDFStructure store;
  int next = 1;
  store.OnMakeIndirect = [&next](TPDFObject* o, int& n, int& g) {
    n = next++;
    g = 0;
    o->SetObjectNumber(n, g);
  };
  TPDFImage image(&store, "bench");
  TMemoryStream s(bytes);
  return image.LoadFromStream(s, options);
}


}  // namespace

int main(int argc, char** argv) {
  const int w = argc > 2 ? std::atoi(argv[1]) : 4000, h = argc > 2 ? std::atoi(argv[2]) : 3000;
  auto bitmap = Picture(w, h);
  TMemoryStream bmp;
  bitmap->SaveToStream(bmp);
  TPNGWriter rgb(*bitmap);
  TMemoryStream png;
  rgb.SaveToStream(png);
  TPNGWriter rgba(*bitmap);
  rgba.SetAlphaMask(bitmap.get(), false);
  TMemoryStream pngAlpha;
  rgba.SaveToStream(pngAlpha);
  TPDFJPEGImage jpegSource;
  jpegSource.Assign(*bitmap);
  TMemoryStream jpeg;
  jpegSource.SaveToStream(jpeg);
  std::printf("%d x %d: BMP %lld, PNG %lld, PNG+alpha %lld, JPEG %lld bytes\n", w, h, (long long)bmp.Size(),
              (long long)png.Size(), (long long)pngAlpha.Size(), (long long)jpeg.Size());

  std::printf("import BMP                %8.1f ms\n", BestMs([&] { Import(bmp.DataString(), 0); }));
  std::printf("import PNG (pass-through) %8.1f ms\n", BestMs([&] { Import(png.DataString(), 0); }));
  std::printf("import PNG with alpha     %8.1f ms\n", BestMs([&] { Import(pngAlpha.DataString(), 2); }));
  std::printf("import JPEG (pass-through)%8.1f ms\n", BestMs([&] { Import(jpeg.DataString(), 0); }));
  std::printf("JPEG class decode         %8.1f ms\n", BestMs([&] {
                TMemoryStream s(jpeg.DataString());
                TPDFJPEGImage image;
                image.LoadFromStream(s);
                image.Decode();
              }));
  std::printf("libjpeg-turbo plain decode%8.1f ms\n", BestMs([&] { benchplain::PlainJpegBytes(jpeg.DataString(), JCS_EXT_BGR); }));
  for (bool store : {true, false}) {
    std::printf("PNG writer, %s    %8.1f ms\n", store ? "stored    " : "compressed", BestMs([&] {
                  TPNGWriter writer(*bitmap);
                  writer.StoreOnly = store;
                  TMemoryStream out;
                  writer.SaveToStream(out);
                }));
  }
  std::printf("peak memory %ld MiB\n", PeakMiB());
  return 0;
}
