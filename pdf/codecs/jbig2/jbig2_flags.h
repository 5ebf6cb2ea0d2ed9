// The flag words of JBIG2 segments, read into named fields.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace jbig2 {

struct TFlagField {
  std::string_view Name;
  uint8_t Shift;
  uint8_t Bits;
  bool Signed = false;  // two's complement of Bits bits
};

class TFlags {
 public:
  virtual ~TFlags() = default;
  // Reads the fields of the flag word.
  virtual void SetValue(uint32_t flagWord);
  // The named field's value; 0 for a name the flags do not have.
  int32_t GetValue(std::string_view name) const;
  uint32_t FlagWord() const { return word_; }

 protected:
  explicit TFlags(std::span<const TFlagField> fields) : fields_(fields) {}

 private:
  std::span<const TFlagField> fields_;
  uint32_t word_ = 0;
  std::vector<std::pair<std::string_view, int32_t>> values_;
};

#define JBIG2_FLAGS_CLASS(Name) \
  class Name final : public TFlags { \
   public: \
    Name(); \
  };
JBIG2_FLAGS_CLASS(TPageInformationFlags)
JBIG2_FLAGS_CLASS(TRegionFlags)
JBIG2_FLAGS_CLASS(TGenericRegionFlags)
JBIG2_FLAGS_CLASS(TRefinementRegionFlags)
JBIG2_FLAGS_CLASS(TPatternDictionaryFlags)
JBIG2_FLAGS_CLASS(THalftoneRegionFlags)
JBIG2_FLAGS_CLASS(TSymbolDictionaryFlags)
JBIG2_FLAGS_CLASS(TTextRegionFlags)
JBIG2_FLAGS_CLASS(TTextRegionHuffmanFlags)
#undef JBIG2_FLAGS_CLASS

}  // namespace jbig2
