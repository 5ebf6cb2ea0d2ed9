#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace jbig2 {

namespace {

constexpr uint8_t kFileSignature[8] = {0x97, 0x4A, 0x42, 0x32, 0x0D, 0x0A, 0x1A, 0x0A};

bool IsGenericRegion(uint8_t type) {
  return type == kIntermediateGenericRegion || type == kImmediateGenericRegion ||
         type == kImmediateLosslessGenericRegion;
}

}  // namespace

TJBIG2StreamDecoder::TJBIG2StreamDecoder(int64_t budget) : factory_(budget) {}

TJBIG2StreamDecoder::~TJBIG2StreamDecoder() = default;

void TJBIG2StreamDecoder::Decode(std::span<const uint8_t> data) {
  pagesKnown_ = false;
  randomAccess_ = false;
  pageCount_ = -1;
  segments_.clear();
  bitmaps_.clear();
  if (data.size() >= 8 && std::memcmp(data.data(), kFileSignature, 8) == 0) {
    TStreamReader header(data);
    header.Skip(8);
    const uint8_t flags = header.ReadByte();
    randomAccess_ = (flags & 1) == 0;
    pagesKnown_ = (flags & 2) == 0;
    if (pagesKnown_) pageCount_ = static_cast<int32_t>(std::min<uint32_t>(header.ReadUInt32(), INT32_MAX));
    ReadSegments(data.subspan(header.Position()));
    return;
  }
  pagesKnown_ = true;
  pageCount_ = 1;
  if (!globals_.empty()) ReadSegments(globals_);
  ReadSegments(data);
}

int32_t TJBIG2StreamDecoder::GetPageCount() const {
  if (pageCount_ >= 0) return pageCount_;
  // A file that leaves its page count open has as many pages as it describes.
  return static_cast<int32_t>(std::count_if(segments_.begin(), segments_.end(), [](const auto& s) {
    return s->Header().SegmentType == kPageInformation;
  }));
}

TSegment* TJBIG2StreamDecoder::FindSegment(uint32_t number) {
  for (const auto& s : segments_)
    if (s->Header().SegmentNumber == number) return s.get();
  return nullptr;
}

TSegment* TJBIG2StreamDecoder::FindReferredSegment(const TSegment& from, uint32_t number) {
  for (const auto& s : segments_)
    if (s.get() != &from && s->Ready() && s->Header().SegmentNumber == number) return s.get();
  return nullptr;
}

TPageInformationSegment* TJBIG2StreamDecoder::FindPageSegment(uint32_t page) {
  for (const auto& s : segments_)
    if (s->Header().SegmentType == kPageInformation && s->Header().PageAssociation == page && s->Ready())
      return static_cast<TPageInformationSegment*>(s.get());
  return nullptr;
}

TJBIG2Bitmap* TJBIG2StreamDecoder::FindBitmap(uint32_t number) {
  for (TJBIG2Bitmap* b : bitmaps_)
    if (b->BitmapNumber() == number) return b;
  return nullptr;
}

TJBIG2Bitmap* TJBIG2StreamDecoder::GetPage1Bitmap() {
  TPageInformationSegment* page = FindPageSegment(1);
  return page ? page->PageBitmap : nullptr;
}

bool TJBIG2StreamDecoder::ReadSegmentHeader(TStreamReader& r, TSegmentHeader& h) {
  h.SegmentNumber = r.ReadUInt32();
  const uint8_t flags = r.ReadByte();
  h.SegmentType = flags & 63;
  h.PageAssociationSizeFlag = (flags & 64) != 0;
  if (r.EndFlag()) return false;
  const uint8_t first = r.ReadByte();
  uint32_t count = first >> 5;
  if (count < 5) {
    h.RetentionFlags.assign(1, first & 31);
  } else if (count == 7) {
    count = (uint32_t(first & 31) << 24) | (uint32_t(r.ReadByte()) << 16) | (uint32_t(r.ReadByte()) << 8) | r.ReadByte();
    const uint64_t retentionBytes = (uint64_t{count} + 1 + 7) / 8;
    // Every referred-to number takes at least a byte: a count the data cannot hold is false.
    if (retentionBytes + count > r.Remaining()) return false;
    h.RetentionFlags.resize(static_cast<size_t>(retentionBytes));
    r.ReadBytes(h.RetentionFlags);
  }
  if (count > r.Remaining()) return false;
  h.ReferredToSegmentCount = count;
  const int size = h.SegmentNumber <= 256 ? 1 : h.SegmentNumber <= 65536 ? 2 : 4;
  h.ReferredToSegments.resize(count);
  for (uint32_t& n : h.ReferredToSegments) n = size == 1 ? r.ReadByte() : size == 2 ? r.ReadUInt16() : r.ReadUInt32();
  h.PageAssociation = h.PageAssociationSizeFlag ? r.ReadUInt32() : r.ReadByte();
  // Every header ends with its data length, the end-of-file segment's too: in a file whose
  // data parts follow all headers they start after it.
  h.DataLength = r.ReadUInt32();
  return !r.EndFlag();
}

std::unique_ptr<TSegment> TJBIG2StreamDecoder::CreateSegment(const TSegmentHeader& h) {
  switch (h.SegmentType) {
    case kSymbolDictionary:
      return std::make_unique<TSymbolDictionarySegment>(*this);
    case kIntermediateTextRegion:
    case kImmediateTextRegion:
    case kImmediateLosslessTextRegion:
      return std::make_unique<TTextRegionSegment>(*this, h.SegmentType != kIntermediateTextRegion);
    case kPatternDictionary:
      return std::make_unique<TPatternDictionarySegment>(*this);
    case kIntermediateHalftoneRegion:
    case kImmediateHalftoneRegion:
    case kImmediateLosslessHalftoneRegion:
      return std::make_unique<THalftoneRegionSegment>(*this, h.SegmentType != kIntermediateHalftoneRegion);
    case kIntermediateGenericRegion:
    case kImmediateGenericRegion:
    case kImmediateLosslessGenericRegion:
      return std::make_unique<TGenericRegionSegment>(*this, h.SegmentType != kIntermediateGenericRegion);
    case kIntermediateRefinementRegion:
    case kImmediateRefinementRegion:
    case kImmediateLosslessRefinementRegion:
      return std::make_unique<TRefinementRegionSegment>(*this, h.SegmentType != kIntermediateRefinementRegion);
    case kPageInformation:
      return std::make_unique<TPageInformationSegment>(*this);
    case kEndOfStripe:
      return std::make_unique<TEndOfStripeSegment>(*this);
    case kTables:
      return std::make_unique<TTableSegment>(*this);
    case kExtension:
      return std::make_unique<TExtensionSegment>(*this);
    default:
      return nullptr;
  }
}

size_t TJBIG2StreamDecoder::ReadSegmentData(TSegment& segment, std::span<const uint8_t> data) {
  // Each data part is read on its own: a segment that reads too little or too much leaves
  // the next header where its data length puts it, and reads past its end see zeros.
  TStreamReader reader(data);
  TArithmeticDecoder arith(reader);
  THuffmanDecoder huffman(reader);
  TMMRDecoder mmr(reader);
  reader_ = &reader;
  arith_ = &arith;
  huffman_ = &huffman;
  mmr_ = &mmr;
  try {
    segment.ReadSegment();
  } catch (const std::bad_alloc&) {
    // What did not fit in memory is left out; the segment still counts as read.
  } catch (const std::length_error&) {
  }
  reader_ = nullptr;
  arith_ = nullptr;
  huffman_ = nullptr;
  mmr_ = nullptr;
  segment.SetReady();
  if (segment.Header().DataLength == kUnknownLength)
    return static_cast<TGenericRegionSegment&>(segment).ConsumedLength;
  return std::min<size_t>(segment.Header().DataLength, data.size());
}

void TJBIG2StreamDecoder::ReadSegments(std::span<const uint8_t> data) {
  TStreamReader r(data);
  // Random access: all headers first, then the data parts in the same order (a segment of
  // no interest only has its data part passed over).
  std::vector<std::pair<std::unique_ptr<TSegment>, uint32_t>> pending;
  while (!r.AtEnd()) {
    auto header = std::make_unique<TSegmentHeader>();
    if (!ReadSegmentHeader(r, *header)) break;
    const uint8_t type = header->SegmentType;
    if (type == kEndOfFile) break;
    const bool unknown = header->DataLength == kUnknownLength;
    std::unique_ptr<TSegment> segment = CreateSegment(*header);
    if (!segment) {
      if (type != kEndOfPage && type != kProfiles) break;
      // Nothing to decode: the data part (if any) is passed over.
      if (unknown) break;
      if (randomAccess_)
        pending.emplace_back(nullptr, header->DataLength);
      else
        r.Skip(header->DataLength);
      continue;
    }
    // Only a generic region can find its own end when its length is not given.
    if (unknown && (!IsGenericRegion(type) || randomAccess_)) break;
    segment->SetHeader(std::move(header));
    if (randomAccess_) {
      const uint32_t length = segment->Header().DataLength;
      pending.emplace_back(std::move(segment), length);
      continue;
    }
    const size_t length = unknown ? r.Remaining() : std::min<size_t>(segment->Header().DataLength, r.Remaining());
    const size_t taken = ReadSegmentData(*segment, r.Rest().first(length));
    segments_.push_back(std::move(segment));
    r.Skip(static_cast<int64_t>(unknown ? taken : segments_.back()->Header().DataLength));
  }
  if (!randomAccess_) return;
  // Random-access organisation: the data parts follow all headers, in the same order.
  for (auto& [segment, declared] : pending) {
    const size_t length = std::min<size_t>(declared, r.Remaining());
    if (segment) {
      segments_.push_back(std::move(segment));
      ReadSegmentData(*segments_.back(), r.Rest().first(length));
    }
    r.Skip(static_cast<int64_t>(length));
  }
}

}  // namespace jbig2
