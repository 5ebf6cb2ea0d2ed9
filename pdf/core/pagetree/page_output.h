// Writing a rendered page bitmap into a stream in one of the raster output formats.
#pragma once

#include <cstdint>
#include <string>

class TBitmap;
class TStream;
struct TGDIPlusSettings;

// Writes the bitmap in the format (0 BMP, 1 JPEG, 5 PNG, 6 GIF, 7 colour TIFF, 10 black-and-white
// TIFF; other formats are written by their own writers or not at all) at the stream's position.
// The TIFF formats need the GDI+ provider named in the settings; black-and-white TIFF applies
// the settings' threshold to the bitmap itself. A BMP carries the resolution in its
// pixels-per-metre fields, patched at offsets 38 and 42 from where the BMP starts. False (with
// message set) when the output could not be written; a BMP that fails leaves the stream
// positioned where it started.
bool WritePageBitmap(TBitmap& bitmap, int format, double dpi, int jpegQuality, const TGDIPlusSettings& settings,
                     TStream& stream, std::string& message);
