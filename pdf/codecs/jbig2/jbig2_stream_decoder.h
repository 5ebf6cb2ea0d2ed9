// Reads the segments of a JBIG2 stream (embedded in PDF, with optional globals, or a JBIG2
// file with its header) and composes their regions onto page bitmaps.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "pdf/codecs/jbig2/jbig2_mmr.h"
#include "pdf/codecs/jbig2/jbig2_segments.h"

namespace jbig2 {

class TJBIG2StreamDecoder {
 public:
  explicit TJBIG2StreamDecoder(int64_t budget = TJBIG2BitmapFactory::DefaultBudget);
  ~TJBIG2StreamDecoder();

  void SetGlobals(std::span<const uint8_t> globals) { globals_.assign(globals.begin(), globals.end()); }
  void Decode(std::span<const uint8_t> data);
  int32_t GetPageCount() const;
  TSegment* FindSegment(uint32_t number);
  TPageInformationSegment* FindPageSegment(uint32_t page);
  void AddBitmap(TJBIG2Bitmap* bitmap) { bitmaps_.push_back(bitmap); }
  TJBIG2Bitmap* FindBitmap(uint32_t number);
  TJBIG2Bitmap* GetPage1Bitmap();

  // ---- Services for the segments while one of them reads its data part ----
  TStreamReader& Reader() { return *reader_; }
  TArithmeticDecoder& Arith() { return *arith_; }
  THuffmanDecoder& Huffman() { return *huffman_; }
  TMMRDecoder& Mmr() { return *mmr_; }
  TJBIG2BitmapFactory& Factory() { return factory_; }
  // The complete segment numbered before from that has this number, or nullptr.
  TSegment* FindReferredSegment(const TSegment& from, uint32_t number);

  // Limits on symbols and instances that the data themselves cannot bound.
  static constexpr int64_t MaxSymbols = int64_t{1} << 22;
  // A page of more than 130 million pixels covered more than four times over, at most.
  static constexpr int64_t MaxCombineWork = int64_t{1} << 27;
  // Bytes of symbols or patterns combined into a region, at most: eight times the region's own
  // bytes (honest halftones and text cover their region about once, which counts up to four
  // times its bytes with the smallest patterns) and never more than MaxCombineWork, so
  // overlapping cells a few bytes state cost what the region holds.
  static int64_t CombineBudget(int64_t width, int64_t height) {
    return std::min(MaxCombineWork, 8 * height * (width / 8 + 2) + (int64_t{1} << 20));
  }

 private:
  void ReadSegments(std::span<const uint8_t> data);
  bool ReadSegmentHeader(TStreamReader& reader, TSegmentHeader& header);
  std::unique_ptr<TSegment> CreateSegment(const TSegmentHeader& header);
  // Reads one data part; answers the bytes it took (its data length unless unknown).
  size_t ReadSegmentData(TSegment& segment, std::span<const uint8_t> data);

  bool pagesKnown_ = false;
  bool randomAccess_ = false;
  int32_t pageCount_ = -1;
  std::vector<std::unique_ptr<TSegment>> segments_;
  std::vector<TJBIG2Bitmap*> bitmaps_;
  std::vector<uint8_t> globals_;
  TJBIG2BitmapFactory factory_;
  // The reader and entropy decoders over the data part being read.
  TStreamReader* reader_ = nullptr;
  TArithmeticDecoder* arith_ = nullptr;
  THuffmanDecoder* huffman_ = nullptr;
  TMMRDecoder* mmr_ = nullptr;
};

}  // namespace jbig2
