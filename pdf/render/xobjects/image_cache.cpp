#include "pdf/render/xobjects/image_cache.h"

TPDFImageDecoder* TPDFImageCache::Find(int64_t key) const {
  for (const Entry& entry : entries_)
    if (entry.Key == key) return entry.Decoder.get();
  return nullptr;
}

void TPDFImageCache::Add(int64_t key, TPDFObject* reference, TPDFImageDecoderOwner decoder, int64_t size) {
  total_ = 0;
  for (const Entry& entry : entries_) total_ += entry.Size;
  if (total_ > kByteLimit) Clear();
  entries_.push_back({key, reference, std::move(decoder), size});
  total_ += size;
}

void TPDFImageCache::Clear() {
  entries_.clear();
  total_ = 0;
}
