// Fuzz entry point for the CMap parser: the input is CMap text; the CMap it gives is then asked
// for codes around every range it holds, and walked with the predefined usecmap chain it names.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pdf/core/cmaps/cmap_parser.h"
#include "pdf/core/cmaps/predefined_cmaps.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

template <typename Ranges>
void Probe(const TOrvanePDFLibraryCMap& cmap, const Ranges& ranges) {
  for (const auto& r : ranges)
    for (uint32_t code : {r.Low, r.High, r.Low - 1, r.High + 1, r.Low + (r.High - r.Low) / 2}) {
      const int value = cmap.MapCode(code);
      Check(value >= -1);
      cmap.Lookup(0, code);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto cmap = ParseCMapText(text);
  Check(cmap != nullptr);
  Probe(*cmap, cmap->CidRanges());
  Probe(*cmap, cmap->BfRanges());
  for (uint32_t code : {0u, 1u, 0x20u, 0x8140u, 0xFFFFu, 0xFFFFFFFFu}) cmap->MapCode(code);
  // A named parent is looked up among the predefined CMaps; the walk is bounded.
  if (!cmap->UseCMapName.empty() && cmap->UseCMapName.size() < 64) {
    const auto chain = LoadPredefinedCMapChain(cmap->UseCMapName);
    Check(chain.size() <= static_cast<size_t>(kMaxUseCMapDepth));
  }
  // The same text as a ToUnicode CMap and as a CID CMap.
  cmap->Kind = TOrvanePDFLibraryCMap::kKindUnicode;
  Probe(*cmap, cmap->BfRanges());
  cmap->Kind = TOrvanePDFLibraryCMap::kKindCID;
  Probe(*cmap, cmap->CidRanges());
  return 0;
}
