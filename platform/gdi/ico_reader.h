// Reading .ico files: the directory, the entry nearest a requested size, and its image (a DIB
// with its AND mask, or an embedded PNG) as a 32-bit bitmap with straight alpha.
#pragma once

#include <memory>
#include <span>

#include "platform/gdi/dib.h"

struct IconImage {
  std::shared_ptr<GdiBitmap> image;  // 32 bits, BGRA, alpha 0 = transparent
  int entryCount = 0;
};

// Picks the entry whose size is nearest `wantWidth` x `wantHeight` (0 means the platform's
// icon size, 32), then the deepest colour. Raises EInvalidGraphic "Icon image is not valid".
IconImage ReadIcoFile(std::span<const uint8_t> data, int wantWidth, int wantHeight);
