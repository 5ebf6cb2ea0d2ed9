// The picture path of the cairo back end: encoded image data made into PNG, which is all that
// cairo reads, and the callback through which cairo reads it from a stream.
#pragma once

#include <cairo.h>

#include <memory>

#include "platform/rtl/streams.h"

// The data at the stream's position as PNG: BMP and JPEG data are decoded and written as a new
// PNG (returned, at its start); PNG data needs no conversion (null, isPNG set); anything else
// gives null too. The stream's position is left where it was.
std::unique_ptr<TMemoryStream> ConvertImageStreamToPNG(TStream& stream, bool& isPNG);

// cairo's read function over a TStream (the closure): success when all the bytes asked for
// arrived, a read error otherwise.
cairo_status_t ReadPNGFromStream(void* closure, unsigned char* data, unsigned int length);

// Whether the PNG at the stream's position states a size a bitmap may have.
bool PNGSizeAccepted(TStream& stream);
