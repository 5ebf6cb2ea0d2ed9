// What the GDI back end needs to draw images itself: decoding an encoded image (BMP, PNG,
// JPEG) into straight 32-bit pixels, and an affine nearest-neighbour blit of such a picture
// onto a parallelogram of a bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/dib.h"
#include "platform/rtl/streams.h"

class TGraphic;

// A decoded picture: the decoder's own pixel store (no second full-size copy is made), with
// the fourth byte of 32-bit pixels taken as straight alpha when UseAlpha is set.
struct TDecodedImage {
  std::shared_ptr<const GdiBitmap> Bitmap;
  bool UseAlpha = false;
  int32_t Width() const { return Bitmap ? Bitmap->Width() : 0; }
  int32_t Height() const { return Bitmap ? Bitmap->Height() : 0; }
  // 0xAARRGGBB of pixel (x, y), inside the picture.
  uint32_t At(int32_t x, int32_t y) const;
};

// Decodes the image that starts at the stream's position. False with a reason when the data
// is not an image this back end reads or is damaged.
bool DecodeImageStream(TStream& stream, TDecodedImage& image, std::string& reason);
// The picture of a graphic (a bitmap's pixels; other graphics drawn onto white).
bool GraphicToImage(TGraphic& graphic, TDecodedImage& image, std::string& reason);

struct TBlitPlacement {
  // Upper-left, upper-right and lower-left corners of the destination, in the bitmap's pixels.
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0;
  // The source rectangle (0, 0, SourceWidth, SourceHeight) that the corners frame; pixels of
  // it outside the picture are left out.
  int32_t SourceWidth = 0, SourceHeight = 0;
  // Pixels whose red, green and blue each lie between the keys' (0x..RRGGBB) are left out.
  bool Keyed = false;
  uint32_t LowKey = 0, HighKey = 0;
  // A 32-bit target whose fourth byte is straight alpha (a metafile's layer): pixels are
  // composed over it with their alpha kept.
  bool TargetAlpha = false;
};

// The whole pixels the parallelogram touches (empty for corners that are not finite).
RECT PlacementBounds(const TBlitPlacement& placement);

// Each target pixel whose centre falls inside the parallelogram takes the source pixel its
// centre maps to (alpha blended over the target). An identity placement onto whole pixels is
// a plain copy.
void AffineBlit(GdiBitmap& target, const TDecodedImage& image, const TBlitPlacement& placement);
