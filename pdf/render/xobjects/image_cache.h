// The renderer's cache of decoded images: each image XObject reached through a reference is
// decoded once and drawn again from here, on this page and on later pages of one renderer.
// When the decoded bytes pass the limit, everything cached is dropped before the next entry.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class TPDFImageDecoder;
class TPDFObject;

// An owned decoder; the code that makes decoders supplies how they are freed, so that the
// cache itself needs nothing of the decoder but its size.
using TPDFImageDecoderOwner = std::unique_ptr<TPDFImageDecoder, void (*)(TPDFImageDecoder*)>;

class TPDFImageCache {
 public:
  static constexpr int64_t kByteLimit = 100000000;

  struct Entry {
    int64_t Key;  // generation x 2^32 + object number
    TPDFObject* Reference;
    TPDFImageDecoderOwner Decoder;
    int64_t Size;  // the decoder's decoded bytes
  };

  // The decoder cached under key, or nullptr.
  TPDFImageDecoder* Find(int64_t key) const;
  // Drops everything when the cached bytes pass the limit, then appends the entry.
  void Add(int64_t key, TPDFObject* reference, TPDFImageDecoderOwner decoder, int64_t size);
  void Clear();
  int64_t TotalBytes() const { return total_; }
  size_t Count() const { return entries_.size(); }

  static int64_t KeyOf(int32_t objectNumber, int32_t generation) {
    return int64_t(generation) * (int64_t(1) << 32) + int64_t(uint32_t(objectNumber));
  }

 private:
  std::vector<Entry> entries_;
  // Where each key's first entry lies: a page of thousands of strip images looks each up once.
  std::unordered_map<int64_t, size_t> first_;
  int64_t total_ = 0;
};
