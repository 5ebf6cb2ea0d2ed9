#include "pdf/codecs/jbig2/jbig2_flags.h"

namespace jbig2 {

namespace {

constexpr TFlagField kPageInformation[] = {{"DEFAULT_PIXEL_VALUE", 2, 1}, {"DEFAULT_COMBINATION_OPERATOR", 3, 2}};
constexpr TFlagField kRegion[] = {{"EXTERNAL_COMBINATION_OPERATOR", 0, 3}};
constexpr TFlagField kGenericRegion[] = {{"MMR", 0, 1}, {"GB_TEMPLATE", 1, 2}, {"TPGDON", 3, 1}};
constexpr TFlagField kRefinementRegion[] = {{"GR_TEMPLATE", 0, 1}, {"TPGDON", 1, 1}};
constexpr TFlagField kPatternDictionary[] = {{"HD_MMR", 0, 1}, {"HD_TEMPLATE", 1, 2}};
constexpr TFlagField kHalftoneRegion[] = {{"H_MMR", 0, 1},         {"H_TEMPLATE", 1, 2}, {"H_ENABLE_SKIP", 3, 1},
                                          {"H_COMB_OP", 4, 3},     {"H_DEF_PIXEL", 7, 1}};
constexpr TFlagField kSymbolDictionary[] = {
    {"SD_HUFF", 0, 1},          {"SD_REF_AGG", 1, 1},         {"SD_HUFF_DH", 2, 2},          {"SD_HUFF_DW", 4, 2},
    {"SD_HUFF_BM_SIZE", 6, 1},  {"SD_HUFF_AGG_INST", 7, 1},   {"BITMAP_CC_USED", 8, 1},      {"BITMAP_CC_RETAINED", 9, 1},
    {"SD_TEMPLATE", 10, 2},     {"SD_R_TEMPLATE", 12, 1}};
constexpr TFlagField kTextRegion[] = {{"SB_HUFF", 0, 1},        {"SB_REFINE", 1, 1},         {"LOG_SB_STRIPES", 2, 2},
                                      {"REF_CORNER", 4, 2},     {"TRANSPOSED", 6, 1},        {"SB_COMB_OP", 7, 2},
                                      {"SB_DEF_PIXEL", 9, 1},   {"SB_DS_OFFSET", 10, 5, true}, {"SB_R_TEMPLATE", 15, 1}};
constexpr TFlagField kTextRegionHuffman[] = {{"SB_HUFF_FS", 0, 2},   {"SB_HUFF_DS", 2, 2},  {"SB_HUFF_DT", 4, 2},
                                             {"SB_HUFF_RDW", 6, 2},  {"SB_HUFF_RDH", 8, 2}, {"SB_HUFF_RDX", 10, 2},
                                             {"SB_HUFF_RDY", 12, 2}, {"SB_HUFF_RSIZE", 14, 1}};

}  // namespace

void TFlags::SetValue(uint32_t flagWord) {
  word_ = flagWord;
  values_.clear();
  for (const TFlagField& f : fields_) {
    const uint32_t mask = (1u << f.Bits) - 1;
    auto v = static_cast<int32_t>((flagWord >> f.Shift) & mask);
    if (f.Signed && (v & (1 << (f.Bits - 1)))) v -= 1 << f.Bits;
    values_.emplace_back(f.Name, v);
  }
}

int32_t TFlags::GetValue(std::string_view name) const {
  for (const auto& [n, v] : values_)
    if (n == name) return v;
  return 0;
}

TPageInformationFlags::TPageInformationFlags() : TFlags(kPageInformation) {}
TRegionFlags::TRegionFlags() : TFlags(kRegion) {}
TGenericRegionFlags::TGenericRegionFlags() : TFlags(kGenericRegion) {}
TRefinementRegionFlags::TRefinementRegionFlags() : TFlags(kRefinementRegion) {}
TPatternDictionaryFlags::TPatternDictionaryFlags() : TFlags(kPatternDictionary) {}
THalftoneRegionFlags::THalftoneRegionFlags() : TFlags(kHalftoneRegion) {}
TSymbolDictionaryFlags::TSymbolDictionaryFlags() : TFlags(kSymbolDictionary) {}
TTextRegionFlags::TTextRegionFlags() : TFlags(kTextRegion) {}
TTextRegionHuffmanFlags::TTextRegionHuffmanFlags() : TFlags(kTextRegionHuffman) {}

}  // namespace jbig2
