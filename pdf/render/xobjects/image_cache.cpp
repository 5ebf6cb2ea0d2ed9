#include "pdf/render/xobjects/image_cache.h"

TPDFImageDecoder* TPDFImageCache::Find(int64_t key) const {
  const auto it = first_.find(key);
  return it == first_.end() ? nullptr : entries_[it->second].Decoder.get();
}

void TPDFImageCache::Add(int64_t key, TPDFObject* reference, TPDFImageDecoderOwner decoder, int64_t size) {
  if (total_ > kByteLimit) Clear();
  first_.emplace(key, entries_.size());
  entries_.push_back({key, reference, std::move(decoder), size});
  total_ += size;
}

void TPDFImageCache::Clear() {
  entries_.clear();
  first_.clear();
  total_ = 0;
}
