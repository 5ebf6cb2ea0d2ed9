// GIF files: every frame painted into one picture of the screen's size, written as a bitmap.
#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/content/image_import/pdf_image.h"

bool TPDFImage::LoadGIF(TStream& stream) {
  stream.SetPosition(0);
  TBitmap bitmap;
  {
    TPDFGIFDecoder gif;
    gif.LoadFromStream(stream);
    if (!gif.GetFrameBitmap(bitmap)) return false;
  }
  return WriteRasterised(bitmap);
}
