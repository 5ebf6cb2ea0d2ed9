// Reading .ico files: the directory, the entry nearest a requested size, and its image (a DIB
// with its AND mask, or an embedded PNG) as a 32-bit bitmap with straight alpha.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "platform/gdi/dib.h"

struct IconImage {
  std::shared_ptr<GdiBitmap> image;  // 32 bits, BGRA, alpha 0 = transparent
  int entryCount = 0;
};

// An entry of the directory, as it states itself (0 for a side stands for 256).
struct IcoEntry {
  int width, height, bitCount;
  uint32_t size, offset;
};

// Bytes of the directory of an icon file whose first bytes are `head` (its header and entries),
// 0 when they are no icon file's header.
int64_t IcoDirectoryBytes(std::span<const uint8_t> head);
// The entries of a file of `fileSize` bytes whose directory `head` holds, those lying beyond
// the file left out. Raises EInvalidGraphic "Icon image is not valid" for a file of none.
std::vector<IcoEntry> ReadIcoDirectory(std::span<const uint8_t> head, int64_t fileSize);
// The entry whose size is nearest `wantWidth` x `wantHeight` (0 means the platform's icon size,
// 32), then the deepest colour.
const IcoEntry& PickIcoEntry(const std::vector<IcoEntry>& entries, int wantWidth, int wantHeight);

// Picks the entry whose size is nearest `wantWidth` x `wantHeight` (0 means the platform's
// icon size, 32), then the deepest colour. Raises EInvalidGraphic "Icon image is not valid".
IconImage ReadIcoFile(std::span<const uint8_t> data, int wantWidth, int wantHeight);
