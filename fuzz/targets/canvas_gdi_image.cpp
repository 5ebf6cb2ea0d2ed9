// Fuzz entry point: an encoded image drawn by the canvas's GDI back end, which decodes it and
// places it with the affine blit. The first 13 bytes choose the three corner points (signed,
// so that placements run off every edge, flip and turn) and whether a colour key applies; the
// rest is the image.
#include <cstdint>
#include <cstring>
#include <string>

#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 13) return 0;
  double pts[6];
  for (int i = 0; i < 6; ++i) {
    int16_t v;
    std::memcpy(&v, data + 2 * i, 2);
    pts[i] = v / 64.0;
  }
  const bool keyed = data[12] & 1;
  static TBitmap* target = [] {
    auto* b = new TBitmap;
    b->SetPixelFormat(pf24bit);
    b->SetSize(48, 40);
    return b;
  }();
  TPDFDaubrix canvas;
  canvas.SetTarget(&target->Canvas());
  TMemoryStream image(std::string_view(reinterpret_cast<const char*>(data) + 13, size - 13));
  if (keyed)
    canvas.DrawImageDataColorKey(image, data[12] >> 1, data[12] >> 3, pts[0], pts[1], pts[2], pts[3], pts[4], pts[5],
                                 0x000000, 0x404040);
  else
    canvas.DrawImageData(image, pts[0], pts[1], pts[2], pts[3], pts[4], pts[5]);
  return 0;
}
