// Generic region and generic refinement region segments.
#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_generic.h"
#include "pdf/codecs/jbig2/jbig2_segments.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"

namespace jbig2 {

namespace {

// Where the end sequence of a region of unknown length begins in data, or data.size(). The
// bytes are read in order: a first end byte takes the byte after it with it, whether or not
// that one completes the sequence.
size_t FindEndSequence(std::span<const uint8_t> data, bool mmr) {
  const uint8_t first = mmr ? 0x00 : 0xFF, second = mmr ? 0x00 : 0xAC;
  for (size_t i = 0; i + 1 < data.size();) {
    if (data[i] != first) {
      ++i;
      continue;
    }
    if (data[i + 1] == second) return i;
    i += 2;
  }
  return data.size();
}

}  // namespace

void TGenericRegionSegment::ReadSegment() {
  TStreamReader& r = Reader();
  ReadRegionInformation();
  Flags.SetValue(r.ReadByte());
  const bool mmr = Flags.GetValue("MMR") != 0;
  TGenericRegionParams params;
  params.Template = Flags.GetValue("GB_TEMPLATE");
  params.TPGDON = Flags.GetValue("TPGDON") != 0;
  if (!mmr) {
    const int pairs = params.Template == 0 ? 4 : 1;
    for (int i = 0; i < pairs; ++i) {
      params.AdaptiveX[size_t(i)] = r.ReadSignedByte();
      params.AdaptiveY[size_t(i)] = r.ReadSignedByte();
    }
  }
  std::span<const uint8_t> coded = r.Rest();
  // What the MMR decoder passes over after the region: the rest of the data part, or with an
  // unknown length the bytes before the end sequence.
  int64_t mmrLength = int64_t{header_->DataLength} - int64_t(r.Position());
  int64_t rows = RegionHeight;
  UnknownLength = header_->DataLength == kUnknownLength;
  if (UnknownLength) {
    // The coded data end with an end sequence and the count of rows they hold.
    const size_t end = FindEndSequence(coded, mmr);
    if (end < coded.size()) {
      TStreamReader tail(coded.subspan(end + 2));
      const uint32_t rowCount = tail.ReadUInt32();
      if (!tail.EndFlag()) rows = std::min<int64_t>(rows, rowCount);
      ConsumedLength = r.Position() + std::min(coded.size(), end + 6);
      coded = coded.first(mmr ? end : end + 2);
    } else {
      ConsumedLength = r.Position() + coded.size();
    }
    mmrLength = int64_t(coded.size());
  }
  if (GoesNowhere()) return;
  TJBIG2Bitmap* bitmap = Factory().Create(RegionWidth, rows);
  if (!bitmap) return;
  if (mmr) {
    PixelsDecoded = ReadMMRGenericRegion(*bitmap, Mmr(), mmrLength) * bitmap->Width();
  } else {
    TStreamReader data(coded);
    TArithmeticDecoder arith(data);
    arith.ResetGenericStats(params.Template, nullptr);
    arith.Start();
    PixelsDecoded = ReadGenericRegion(*bitmap, arith, params);
  }
  Deliver(bitmap);
}

void TRefinementRegionSegment::ReadSegment() {
  TStreamReader& r = Reader();
  ReadRegionInformation();
  Flags.SetValue(r.ReadByte());
  TRefinementRegionParams params;
  params.Template = Flags.GetValue("GR_TEMPLATE");
  params.TPGRON = Flags.GetValue("TPGDON") != 0;
  if (params.Template == 0) {
    params.AdaptiveX[0] = r.ReadSignedByte();
    params.AdaptiveY[0] = r.ReadSignedByte();
    params.AdaptiveX[1] = r.ReadSignedByte();
    params.AdaptiveY[1] = r.ReadSignedByte();
  }
  const auto& referred = header_->ReferredToSegments;
  if (referred.size() > 1 || GoesNowhere()) return;
  TPageInformationSegment* page = decoder_.FindPageSegment(header_->PageAssociation);
  if ((referred.empty() || immediate_) && page) page->ReachRow(int64_t{RegionY} + RegionHeight);
  TJBIG2Bitmap* reference = nullptr;
  if (referred.empty()) {
    // Refines what the page holds under the region.
    if (!page || !page->PageBitmap) return;
    reference = Factory().Extract(*page->PageBitmap, RegionX, RegionY, RegionWidth, RegionHeight);
  } else if (decoder_.FindReferredSegment(*this, referred[0])) {
    reference = decoder_.FindBitmap(referred[0]);
  }
  if (!reference) return;
  params.Reference = reference;
  TJBIG2Bitmap* bitmap = Factory().Create(RegionWidth, RegionHeight);
  if (!bitmap) return;
  Arith().ResetRefinementStats(params.Template, nullptr);
  Arith().Start();
  PixelsDecoded = ReadGenericRefinementRegion(*bitmap, Arith(), params);
  if (referred.empty()) Factory().Release(reference);
  Deliver(bitmap);
}

}  // namespace jbig2
