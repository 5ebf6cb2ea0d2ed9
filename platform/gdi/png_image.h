// Decoding a PNG held in memory into a 32-bit BGRA bitmap (libpng), for icon entries.
#pragma once

#include <memory>
#include <span>

#include "platform/gdi/dib.h"

// Raises EInvalidGraphic for a damaged PNG and EOutOfMemory above 2^28 pixels.
std::shared_ptr<GdiBitmap> DecodePngToBgra(std::span<const uint8_t> data);
bool IsPngSignature(std::span<const uint8_t> data);
