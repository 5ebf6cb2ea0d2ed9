#include "pdf/core/cmaps/predefined_cmaps.h"

#include <algorithm>
#include <span>

#include "pdf/core/cmaps/cmap_parser.h"
#include "pdf/core/filters/flate.h"
#include "platform/rtl/resources.h"

namespace {

// The largest predefined CMap inflates to well under a megabyte.
constexpr int64_t kMaxCMapTextSize = 1 << 24;

}  // namespace

const std::array<std::string_view, kPredefinedCMapCount> PredefinedCMapNames = {
    "78-EUC-H", "78-EUC-V", "78-H", "78-RKSJ-H", "78-RKSJ-V", "78-V", "78ms-RKSJ-H", "78ms-RKSJ-V",
    "83pv-RKSJ-H", "90ms-RKSJ-H", "90ms-RKSJ-V", "90msp-RKSJ-H", "90msp-RKSJ-V", "90pv-RKSJ-H",
    "90pv-RKSJ-V", "Add-H", "Add-RKSJ-H", "Add-RKSJ-V", "Add-V", "Adobe-CNS1-0", "Adobe-CNS1-1",
    "Adobe-CNS1-2", "Adobe-CNS1-3", "Adobe-CNS1-4", "Adobe-CNS1-5", "Adobe-CNS1-6", "Adobe-GB1-0",
    "Adobe-GB1-1", "Adobe-GB1-2", "Adobe-GB1-3", "Adobe-GB1-4", "Adobe-GB1-5", "Adobe-Japan1-0",
    "Adobe-Japan1-1", "Adobe-Japan1-2", "Adobe-Japan1-3", "Adobe-Japan1-4", "Adobe-Japan1-5",
    "Adobe-Japan1-6", "Adobe-Korea1-0", "Adobe-Korea1-1", "Adobe-Korea1-2", "B5-H", "B5-V", "B5pc-H",
    "B5pc-V", "CNS-EUC-H", "CNS-EUC-V", "CNS1-H", "CNS1-V", "CNS2-H", "CNS2-V", "ETen-B5-H",
    "ETen-B5-V", "ETenms-B5-H", "ETenms-B5-V", "ETHK-B5-H", "ETHK-B5-V", "EUC-H", "EUC-V", "Ext-H",
    "Ext-RKSJ-H", "Ext-RKSJ-V", "Ext-V", "GB-EUC-H", "GB-EUC-V", "GB-H", "GB-V", "GBK-EUC-H",
    "GBK-EUC-V", "GBK2K-H", "GBK2K-V", "GBKp-EUC-H", "GBKp-EUC-V", "GBpc-EUC-H", "GBpc-EUC-V",
    "GBT-EUC-H", "GBT-EUC-V", "GBT-H", "GBT-V", "GBTpc-EUC-H", "GBTpc-EUC-V", "H", "Hankaku",
    "Hiragana", "HKdla-B5-H", "HKdla-B5-V", "HKdlb-B5-H", "HKdlb-B5-V", "HKgccs-B5-H", "HKgccs-B5-V",
    "HKm314-B5-H", "HKm314-B5-V", "HKm471-B5-H", "HKm471-B5-V", "HKscs-B5-H", "HKscs-B5-V",
    "Identity-H", "Identity-V", "Katakana", "KSC-EUC-H", "KSC-EUC-V", "KSC-H", "KSC-Johab-H",
    "KSC-Johab-V", "KSC-V", "KSCms-UHC-H", "KSCms-UHC-HW-H", "KSCms-UHC-HW-V", "KSCms-UHC-V",
    "KSCpc-EUC-H", "KSCpc-EUC-V", "NWP-H", "NWP-V", "RKSJ-H", "RKSJ-V", "Roman", "UniCNS-UCS2-H",
    "UniCNS-UCS2-V", "UniCNS-UTF16-H", "UniCNS-UTF16-V", "UniCNS-UTF32-H", "UniCNS-UTF32-V",
    "UniCNS-UTF8-H", "UniCNS-UTF8-V", "UniGB-UCS2-H", "UniGB-UCS2-V", "UniGB-UTF16-H", "UniGB-UTF16-V",
    "UniGB-UTF32-H", "UniGB-UTF8-H", "UniGB-UTF8-V", "UniJIS-UCS2-H", "UniJIS-UCS2-HW-H",
    "UniJIS-UCS2-HW-V", "UniJIS-UCS2-V", "UniJIS-UTF16-H", "UniJIS-UTF16-V", "UniJIS-UTF32-H",
    "UniJIS-UTF32-V", "UniJIS-UTF8-H", "UniJIS-UTF8-V", "UniJIS2004-UTF16-H", "UniJIS2004-UTF16-V",
    "UniJIS2004-UTF32-H", "UniJIS2004-UTF32-V", "UniJIS2004-UTF8-H", "UniJIS2004-UTF8-V",
    "UniJISPro-UCS2-HW-V", "UniJISPro-UCS2-V", "UniJISPro-UTF8-V", "UniJISX0213-UTF32-H",
    "UniJISX0213-UTF32-V", "UniJISX02132004-UTF32-H", "UniJISX02132004-UTF32-V", "UniKS-UCS2-H",
    "UniKS-UCS2-V", "UniKS-UTF16-H", "UniKS-UTF16-V", "UniKS-UTF32-H", "UniKS-UTF32-V", "UniKS-UTF8-H",
    "UniKS-UTF8-V", "V", "WP-Symbol",
};

int PredefinedCMapPosition(std::string_view name) {
  const auto it = std::find(PredefinedCMapNames.begin(), PredefinedCMapNames.end(), name);
  return it == PredefinedCMapNames.end() ? 0 : static_cast<int>(it - PredefinedCMapNames.begin()) + 1;
}

std::string LoadPredefinedCMapText(int position) {
  if (position < 1 || position > kPredefinedCMapCount) return {};
  const auto packed = FindResourceData(kPredefinedCMapResourceBase + position);
  return FlateDecompressString(std::string_view(reinterpret_cast<const char*>(packed.data()), packed.size()),
                               kMaxCMapTextSize);
}

std::unique_ptr<TOrvanePDFLibraryCMap> LoadPredefinedCMap(std::string_view name) {
  const int position = PredefinedCMapPosition(name);
  if (position == 0) return nullptr;
  auto cmap = ParseCMapText(LoadPredefinedCMapText(position));
  cmap->Name = std::string(name);
  return cmap;
}

std::vector<std::unique_ptr<TOrvanePDFLibraryCMap>> LoadPredefinedCMapChain(std::string_view name) {
  std::vector<std::unique_ptr<TOrvanePDFLibraryCMap>> chain;
  std::string next(name);
  while (static_cast<int>(chain.size()) < kMaxUseCMapDepth) {
    const bool seen = std::any_of(chain.begin(), chain.end(), [&](const auto& c) { return c->Name == next; });
    if (seen) break;
    auto cmap = LoadPredefinedCMap(next);
    if (!cmap) break;
    if (!chain.empty()) chain.back()->ParentIndex = static_cast<int>(chain.size());
    next = cmap->UseCMapName;
    chain.push_back(std::move(cmap));
    if (next.empty()) break;
  }
  return chain;
}

int MapCodeThroughChain(const std::vector<std::unique_ptr<TOrvanePDFLibraryCMap>>& chain, uint32_t code) {
  for (const auto& cmap : chain) {
    const int value = cmap->MapCode(code);
    if (value >= 0) return value;
  }
  return -1;
}
