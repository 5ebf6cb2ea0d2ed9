// Bitmaps carried by metafile records (bitmap info and bits at offsets inside the record),
// decoded through the BMP reader's DIB code.
#pragma once

#include <memory>
#include <span>

#include "platform/gdi/dib.h"
#include "platform/gdi/metafile/emf_types.h"

// The record's bitmap in its own depth (1-bit masks stay 1-bit; 16-bit and bit-field pixels
// come out as the reader gives them), or null when the record carries none (bitmap info
// offset and size both 0). With DIB_PAL_COLORS the table's 16-bit entries index `palette`
// (the default 256-colour table when it is empty). `rows` limits the rows read for records
// that carry only some scan lines (-1 for all). Raises EInvalidGraphic for JPEG or PNG
// compressed bitmaps and anything malformed, EOutOfMemory over 2^28 pixels.
std::shared_ptr<GdiBitmap> DecodeRecordDib(const ENHMETARECORD& record, uint32_t offBmi, uint32_t cbBmi,
                                           uint32_t offBits, uint32_t cbBits, uint32_t usage,
                                           std::span<const PALETTEENTRY> palette = {}, int64_t rows = -1);
// The same converted to 24 bits per pixel.
std::shared_ptr<GdiBitmap> DecodeRecordDib24(const ENHMETARECORD& record, uint32_t offBmi, uint32_t cbBmi,
                                             uint32_t offBits, uint32_t cbBits, uint32_t usage,
                                             std::span<const PALETTEENTRY> palette = {}, int64_t rows = -1);

// A packed DIB held apart from a record (header and table in `info`, pixels in `bits`), as
// WMF records and brush patterns carry them; same rules as above.
std::shared_ptr<GdiBitmap> DecodeDibParts(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                                          uint32_t usage, std::span<const PALETTEENTRY> palette = {});
