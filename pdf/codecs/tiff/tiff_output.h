// Colour and black-and-white TIFF output of a rendered page. The bitmap goes through an
// intermediate BMP that carries the resolution and is re-encoded by the GDI+ provider's TIFF
// encoder: LZW colour, or CCITT Group 4 at one bit per pixel.
#pragma once

#include <cstdint>

class TBitmap;
class TStream;
struct TGDIPlusSettings;

// Each answers whether a TIFF was written at the stream's position. Nothing is written (the
// stream is left as it was) for an empty bitmap, when the provider named in the options
// cannot be loaded, has no "image/tiff" encoder, or fails to encode. A Dpi above 0 sets the
// resolution; otherwise the bitmap's own stands.
bool SaveBitmapAsTIFF(TBitmap& Bitmap, TStream& Stream, const TGDIPlusSettings& Options, double Dpi);
// With a monochrome threshold above 0 in the options, every pixel of a 24-bit bitmap whose
// blue + green + red is below three times it first turns black in the caller's bitmap; the
// encoder then decides the others by their luminance.
bool SaveBitmapAsMonochromeTIFF(TBitmap& Bitmap, TStream& Stream, const TGDIPlusSettings& Options, double Dpi);

// The threshold step of the black-and-white output, on its own.
void ApplyMonochromeThreshold(TBitmap& Bitmap, int32_t Threshold);
