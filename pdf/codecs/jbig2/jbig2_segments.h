// The segments of a JBIG2 stream: the header every segment starts with, and one class per
// kind of data part the decoder reads.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "pdf/codecs/jbig2/jbig2_arithmetic.h"
#include "pdf/codecs/jbig2/jbig2_bitmap.h"
#include "pdf/codecs/jbig2/jbig2_flags.h"
#include "pdf/codecs/jbig2/jbig2_huffman.h"

namespace jbig2 {

class TJBIG2StreamDecoder;
class TMMRDecoder;

inline constexpr uint32_t kUnknownLength = 0xFFFFFFFF;

struct TSegmentHeader {
  uint32_t SegmentNumber = 0;
  uint8_t SegmentType = 0;
  bool PageAssociationSizeFlag = false;
  uint32_t ReferredToSegmentCount = 0;
  std::vector<uint8_t> RetentionFlags;
  std::vector<uint32_t> ReferredToSegments;
  uint32_t PageAssociation = 0;
  uint32_t DataLength = 0;
};

// Segment types the decoder knows.
enum TSegmentType : uint8_t {
  kSymbolDictionary = 0,
  kIntermediateTextRegion = 4,
  kImmediateTextRegion = 6,
  kImmediateLosslessTextRegion = 7,
  kPatternDictionary = 16,
  kIntermediateHalftoneRegion = 20,
  kImmediateHalftoneRegion = 22,
  kImmediateLosslessHalftoneRegion = 23,
  kIntermediateGenericRegion = 36,
  kImmediateGenericRegion = 38,
  kImmediateLosslessGenericRegion = 39,
  kIntermediateRefinementRegion = 40,
  kImmediateRefinementRegion = 42,
  kImmediateLosslessRefinementRegion = 43,
  kPageInformation = 48,
  kEndOfPage = 49,
  kEndOfStripe = 50,
  kEndOfFile = 51,
  kProfiles = 52,
  kTables = 53,
  kExtension = 62,
};

class TSegment {
 public:
  explicit TSegment(TJBIG2StreamDecoder& decoder) : decoder_(decoder) {}
  virtual ~TSegment() = default;
  TSegment(const TSegment&) = delete;
  TSegment& operator=(const TSegment&) = delete;

  // Reads the data part from the stream decoder's current reader.
  virtual void ReadSegment() = 0;

  TSegmentHeader& Header() { return *header_; }
  const TSegmentHeader& Header() const { return *header_; }
  void SetHeader(std::unique_ptr<TSegmentHeader> header) { header_ = std::move(header); }
  // Set once the data part was read: only then may later segments use what it holds.
  bool Ready() const { return ready_; }
  void SetReady() { ready_ = true; }

 protected:
  TStreamReader& Reader();
  TArithmeticDecoder& Arith();
  THuffmanDecoder& Huffman();
  TMMRDecoder& Mmr();
  TJBIG2BitmapFactory& Factory();
  // The complete segments this one refers to, in the order of its referred-to numbers.
  std::vector<TSegment*> ReferredSegments();

  TJBIG2StreamDecoder& decoder_;
  std::unique_ptr<TSegmentHeader> header_;

 private:
  bool ready_ = false;
};

// Fields every region segment starts with.
class TRegionSegment : public TSegment {
 public:
  TRegionSegment(TJBIG2StreamDecoder& decoder, bool immediate) : TSegment(decoder), immediate_(immediate) {}
  uint32_t RegionWidth = 0, RegionHeight = 0, RegionX = 0, RegionY = 0;
  TRegionFlags RegionFlags;
  bool Immediate() const { return immediate_; }

 protected:
  void ReadRegionInformation();
  // Hands the region's bitmap to its page (immediate) or to the bitmap list (intermediate).
  void Deliver(TJBIG2Bitmap* bitmap);
  // An immediate region whose page has no picture (no page information, or a page too large
  // to be made) would go nowhere: it is not decoded.
  bool GoesNowhere();
  bool immediate_;
};

class TGenericRegionSegment final : public TRegionSegment {
 public:
  using TRegionSegment::TRegionSegment;
  void ReadSegment() override;
  TGenericRegionFlags Flags;
  bool UnknownLength = false;
  // With an unknown data length: the bytes the segment's data part turned out to take.
  size_t ConsumedLength = 0;
  // Pixels read from the coded data (the rows after the data ran out are not walked).
  int64_t PixelsDecoded = 0;
};

class TRefinementRegionSegment final : public TRegionSegment {
 public:
  using TRegionSegment::TRegionSegment;
  void ReadSegment() override;
  TRefinementRegionFlags Flags;
  // Pixels read from the coded data, as for a generic region.
  int64_t PixelsDecoded = 0;
};

class TSymbolDictionarySegment final : public TSegment {
 public:
  using TSegment::TSegment;
  void ReadSegment() override;
  TSymbolDictionaryFlags Flags;
  uint32_t NumberOfExportedSymbols = 0;
  uint32_t NumberOfNewSymbols = 0;
  std::array<int8_t, 4> AdaptiveX{}, AdaptiveY{};
  std::array<int8_t, 2> RefinementAdaptiveX{}, RefinementAdaptiveY{};
  std::vector<TJBIG2Bitmap*> ExportedSymbols;
  std::unique_ptr<TArithmeticDecoderStats> KeptGenericStats;
  std::unique_ptr<TArithmeticDecoderStats> KeptRefinementStats;
};

class TTextRegionSegment final : public TRegionSegment {
 public:
  using TRegionSegment::TRegionSegment;
  void ReadSegment() override;
  TTextRegionFlags Flags;
  TTextRegionHuffmanFlags HuffmanFlags;
  uint32_t NumberOfInstances = 0;
  std::array<int8_t, 2> RefinementAdaptiveX{}, RefinementAdaptiveY{};
};

class TPatternDictionarySegment final : public TSegment {
 public:
  using TSegment::TSegment;
  void ReadSegment() override;
  TPatternDictionaryFlags Flags;
  uint32_t PatternWidth = 0, PatternHeight = 0, GrayMax = 0;
  std::vector<TJBIG2Bitmap*> Patterns;
};

class THalftoneRegionSegment final : public TRegionSegment {
 public:
  using TRegionSegment::TRegionSegment;
  void ReadSegment() override;
  THalftoneRegionFlags Flags;
  // Gray-plane cells read from the data (summed over the planes; an MMR plane counts whole)
  // and cells drawn into the region.
  int64_t CellsDecoded = 0, CellsDrawn = 0;
};

class TPageInformationSegment final : public TSegment {
 public:
  using TSegment::TSegment;
  void ReadSegment() override;
  TPageInformationFlags Flags;
  uint32_t PageWidth = 0, PageHeight = 0, XResolution = 0, YResolution = 0;
  uint16_t StripingInformation = 0;
  // nullptr when the page's size is refused.
  TJBIG2Bitmap* PageBitmap = nullptr;
  bool HeightUnknown() const { return PageHeight == kUnknownLength; }
  // Grows the page (of unknown height) to hold rows up to bottom; false when refused.
  bool ReachRow(int64_t bottom);
  // An end of stripe on a page of unknown height sets the page's height so far; an end row
  // that does not lie below the last one changes nothing.
  void EndStripe(uint32_t endRow);

 private:
  int64_t lastEndRow_ = -1;
};

class TEndOfStripeSegment final : public TSegment {
 public:
  using TSegment::TSegment;
  void ReadSegment() override;
  uint32_t EndRow = 0;
};

class TExtensionSegment final : public TSegment {
 public:
  using TSegment::TSegment;
  void ReadSegment() override;
};

// A Huffman table of the stream's own (selected by text regions and symbol dictionaries).
class TTableSegment final : public TSegment {
 public:
  using TSegment::TSegment;
  void ReadSegment() override;
  THuffmanTable Table;
};

}  // namespace jbig2
