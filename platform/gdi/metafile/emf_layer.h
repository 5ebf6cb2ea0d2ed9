// The transparent layer of a metafile DC: a straight-alpha 32-bit bitmap of the picture's size
// that whatever paints pixels itself (an image blit, another graphics library) draws into,
// taken out as an alpha-blend record of what was painted since the last look. Looks are
// limited to the area handed out since then; looks at areas nobody named stop once they have
// read a number of whole layers, so that their work stays a multiple of the picture's pixels
// (what is painted after that comes out at the end).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/metafile/emf_types.h"

class GdiBitmap;

class EmfLayer {
 public:
  explicit EmfLayer(SIZEL size) : size_(size) {}

  // The layer, to be painted anywhere, or only within `area` (device pixels).
  std::shared_ptr<GdiBitmap> Lend();
  std::shared_ptr<GdiBitmap> Lend(const RECT& area);
  // The EMR_ALPHABLEND record of the painted pixels, which are cleared (empty when none were
  // painted or the look is over its limit). The last look reads the whole layer.
  std::vector<uint8_t> Take(bool last);

  // Whole layers that looks at unnamed areas may read in all.
  static constexpr int64_t kUnnamedLooks = 64;

 private:
  std::shared_ptr<GdiBitmap> Bitmap();
  void Mark(const RECT& area);
  std::vector<uint8_t> Record(const RECT& painted);

  SIZEL size_;
  std::shared_ptr<GdiBitmap> bitmap_;
  std::optional<RECT> dirty_;  // where painting may have happened since the last look
  bool unnamed_ = false;       // handed out without an area since the last look
  int64_t unnamedRead_ = 0;    // pixels read by looks at unnamed areas
};
