// Writing a bitmap as a BMP file: BITMAPFILEHEADER, a 40-byte BITMAPINFOHEADER (so the
// pixels-per-metre fields sit at file offsets 38 and 42), the colour table of the indexed
// depths (or the three masks of 5-6-5), then the rows bottom-up.
#pragma once

#include <string>

#include "platform/gdi/dib.h"
#include "platform/rtl/streams.h"

void WriteBmp(const GdiBitmap& bitmap, TStream& stream);
std::string EncodeBmp(const GdiBitmap& bitmap);

// Pixels per metre of a resolution in dots per inch (truncated, as the BMP header stores it).
int32_t PixelsPerMetre(double dpi);
// Sets both pixels-per-metre fields of the BMP written from `start` in the stream.
void PatchBmpResolution(TStream& stream, int64_t start, int32_t pixelsPerMetre);
