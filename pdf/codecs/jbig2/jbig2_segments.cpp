// What every segment shares (its decoders, its referred-to segments, region information and
// delivery onto the page), and the segments that carry no image of their own.
#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_segments.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"

namespace jbig2 {

TStreamReader& TSegment::Reader() { return decoder_.Reader(); }
TArithmeticDecoder& TSegment::Arith() { return decoder_.Arith(); }
THuffmanDecoder& TSegment::Huffman() { return decoder_.Huffman(); }
TMMRDecoder& TSegment::Mmr() { return decoder_.Mmr(); }
TJBIG2BitmapFactory& TSegment::Factory() { return decoder_.Factory(); }

std::vector<TSegment*> TSegment::ReferredSegments() {
  std::vector<TSegment*> out;
  for (uint32_t n : header_->ReferredToSegments)
    if (TSegment* s = decoder_.FindReferredSegment(*this, n)) out.push_back(s);
  return out;
}

void TRegionSegment::ReadRegionInformation() {
  TStreamReader& r = Reader();
  RegionWidth = r.ReadUInt32();
  RegionHeight = r.ReadUInt32();
  RegionX = r.ReadUInt32();
  RegionY = r.ReadUInt32();
  RegionFlags.SetValue(r.ReadByte());
}

void TRegionSegment::Deliver(TJBIG2Bitmap* bitmap) {
  if (!bitmap) return;
  if (!immediate_) {
    bitmap->SetBitmapNumber(header_->SegmentNumber);
    decoder_.AddBitmap(bitmap);
    return;
  }
  TPageInformationSegment* page = decoder_.FindPageSegment(header_->PageAssociation);
  if (page && page->PageBitmap) {
    // On a page of unknown height every region makes room for itself: regions of a later
    // stripe lie below the rows known so far.
    page->ReachRow(int64_t{RegionY} + bitmap->Height());
    page->PageBitmap->Combine(*bitmap, RegionX, RegionY, RegionFlags.GetValue("EXTERNAL_COMBINATION_OPERATOR"));
  }
  Factory().Release(bitmap);
}

bool TRegionSegment::GoesNowhere() {
  if (!immediate_) return false;
  const TPageInformationSegment* page = decoder_.FindPageSegment(header_->PageAssociation);
  return !page || !page->PageBitmap;
}

void TPageInformationSegment::ReadSegment() {
  TStreamReader& r = Reader();
  PageWidth = r.ReadUInt32();
  PageHeight = r.ReadUInt32();
  XResolution = r.ReadUInt32();
  YResolution = r.ReadUInt32();
  Flags.SetValue(r.ReadByte());
  StripingInformation = r.ReadUInt16();
  const int64_t height = HeightUnknown() ? (StripingInformation & 0x7FFF) : int64_t{PageHeight};
  PageBitmap = Factory().Create(PageWidth, height);
  if (PageBitmap) PageBitmap->Fill(Flags.GetValue("DEFAULT_PIXEL_VALUE"));
}

bool TPageInformationSegment::ReachRow(int64_t bottom) {
  if (!HeightUnknown() || !PageBitmap) return true;
  return Factory().ExpandHeight(*PageBitmap, bottom, Flags.GetValue("DEFAULT_PIXEL_VALUE"));
}

void TPageInformationSegment::EndStripe(uint32_t endRow) {
  if (!HeightUnknown() || !PageBitmap) return;
  // Stripes follow one another down the page: an end row at or above the last one would cut
  // off rows the stripes before it closed.
  if (int64_t{endRow} <= lastEndRow_) return;
  lastEndRow_ = endRow;
  // A page of unknown height is as tall as its stripes: it ends with the last stripe's end
  // row, whether or not a region reached that row, and a page shorter than the largest
  // stripe it announced is not padded to it.
  const int64_t height = int64_t{endRow} + 1;
  if (height > PageBitmap->Height())
    ReachRow(height);
  else
    Factory().ShrinkHeight(*PageBitmap, static_cast<int32_t>(height));
}

void TEndOfStripeSegment::ReadSegment() {
  EndRow = Reader().ReadUInt32();
  if (Reader().EndFlag()) return;
  if (TPageInformationSegment* page = decoder_.FindPageSegment(header_->PageAssociation)) page->EndStripe(EndRow);
}

void TExtensionSegment::ReadSegment() {
  // Nothing in an extension changes the picture.
}

void TTableSegment::ReadSegment() { Table = ReadCustomTable(Reader()); }

}  // namespace jbig2
