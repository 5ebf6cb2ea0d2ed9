// An Indexed colour space: a table of up to 256 colours in a base space, of which one
// component (the index) picks one.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "pdf/render/functions/pdf_resolve.h"
#include "platform/gdi/gdi_types.h"

class TPDFArray;
class TPDFColorManager;
class TPDFObject;

class TPDFIndexedColorSpace {
 public:
  // The most colours a table holds.
  static constexpr int kMaxEntries = 256;

  explicit TPDFIndexedColorSpace(TPDFColorManager* manager) : ColorManager(manager) {}

  // [/Indexed base hival lookup]: the table's colours through the base space (a device,
  // calibrated, ICC-based or Lab space; Separation and DeviceN too unless depth says this space
  // lies inside another special space). A base the space cannot read leaves every entry black.
  void Load(TPDFArray* array, int depth = 0);
  // Colour, components and colour text of an index, rounded and kept within the table.
  void SetIndex(double index, bool colourOnly);
  int32_t EntryCount() const { return int32_t(colours_.size()); }

  COLORREF Color = 0;
  std::string ColorText;
  std::array<double, 3> RGB{};
  TPDFColorManager* ColorManager;  // not owned
  TPDFResolveMethod Resolver;
  // The colour-space array the space was made from (the renderer reuses spaces by it).
  const TPDFObject* Source = nullptr;

 private:
  std::vector<COLORREF> colours_;  // one per entry, 0 to hival
};
