#include "pdf/codecs/jbig2/jbig2_decoder.h"

#include <new>

#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"

bool TZRXJBIG2Decoder::Decode(std::span<const uint8_t> Data, std::span<const uint8_t> Globals) {
  width_ = height_ = 0;
  rows_.clear();
  if (Data.empty()) return false;
  try {
    jbig2::TJBIG2StreamDecoder decoder;
    if (!Globals.empty()) decoder.SetGlobals(Globals);
    decoder.Decode(Data);
    if (decoder.GetPageCount() < 1) return false;
    const jbig2::TJBIG2Bitmap* page = decoder.GetPage1Bitmap();
    if (!page || page->Width() < 1 || page->Height() < 1) return false;
    rows_ = page->Bits();
    width_ = page->Width();
    height_ = page->Height();
    return true;
  } catch (const std::bad_alloc&) {
    rows_.clear();
    width_ = height_ = 0;
    return false;
  }
}

bool TZRXJBIG2Decoder::GetRow(int32_t Index, std::vector<uint8_t>& Row) const {
  Row.assign(static_cast<size_t>(width_), 0);
  if (Index < 0 || Index >= height_) return false;
  const uint8_t* r = rows_.data() + static_cast<size_t>(Index) * static_cast<size_t>(LineBytes());
  for (int32_t x = 0; x < width_; ++x) Row[static_cast<size_t>(x)] = (r[x >> 3] >> (7 - (x & 7))) & 1;
  return true;
}
