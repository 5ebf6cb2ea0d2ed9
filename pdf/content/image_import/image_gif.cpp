// GIF files: every frame painted into one picture of the screen's size, written as samples.
#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/content/image_import/pdf_image.h"

bool TPDFImage::LoadGIF(TStream& stream) {
  stream.SetPosition(0);
  TPDFGIFDecoder gif;
  gif.LoadFromStream(stream);
  if (KeepSource) {
    // The source copy is the picture as a BMP file, which needs the bitmap.
    TBitmap bitmap;
    if (!gif.GetFrameBitmap(bitmap)) return false;
    gif = TPDFGIFDecoder();
    return WriteRasterised(bitmap);
  }
  // Painted straight into the samples: no picture of the screen is held beside them.
  std::string samples;
  if (!gif.GetFrameSamples(samples)) return false;
  const int32_t w = gif.ScreenWidth, h = gif.ScreenHeight;
  gif = TPDFGIFDecoder();
  return WriteRasterisedSamples(std::move(samples), w, h);
}
