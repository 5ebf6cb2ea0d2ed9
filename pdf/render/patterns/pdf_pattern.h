// TPDFPattern writes a tiling pattern for a bitmap brush of a converted metafile: a pattern
// stream whose content paints the bitmap once (an image XObject of the pattern's resources).
#pragma once

#include <array>
#include <string>
#include <string_view>

class TBitmap;
class TPDFStructure;
class TPDFIndRef;

class TPDFPattern {
 public:
  // The fixed pattern matrix of a bitmap pattern when the writer is given none.
  static constexpr std::array<double, 6> kDefaultMatrix = {0.00072, 0, 0, 0.00072, 0, 0};

  TPDFPattern(TPDFStructure* owner, std::string_view name) : Name(name), Owner(owner) {}

  // Writes the pattern stream (made indirect when the store assigns numbers); true when
  // written. The bitmap is converted to 24 bits. A bitmap without pixels writes nothing.
  bool WriteBitmapPattern(TBitmap& bitmap) { return WriteBitmapPattern(bitmap, kDefaultMatrix); }
  // The same under the given pattern matrix (pattern space to the default space of the
  // content that paints with it). A matrix that only scales is written as a power of ten with
  // the cell scaled to match, so that the store's decimals keep the cell's size.
  bool WriteBitmapPattern(TBitmap& bitmap, const std::array<double, 6>& matrix);

  std::string Name;
  TPDFStructure* Owner = nullptr;
  TPDFIndRef* Ref = nullptr;
};
