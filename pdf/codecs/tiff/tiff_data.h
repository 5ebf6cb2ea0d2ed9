// The bytes of a TIFF file as the directory walk reads them: held in memory, or read from the
// file where they lie (a file too large to read whole), a block at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TFileAt;

class TTIFFData {
 public:
  // Bytes held by the caller while the walk reads them.
  explicit TTIFFData(std::string_view bytes) : bytes_(bytes), size_(bytes.size()) {}
  // The first `size` bytes of the file.
  TTIFFData(std::shared_ptr<const TFileAt> file, uint64_t size);
  ~TTIFFData();

  uint64_t size() const { return size_; }
  // The n bytes at pos, or empty when they do not lie wholly in the data; valid until the next
  // call.
  std::string_view View(uint64_t pos, uint64_t n);

 private:
  std::string_view bytes_;
  uint64_t size_;
  std::shared_ptr<const TFileAt> file_;
  // The stretch of the file read last, from blockAt_.
  std::string block_;
  uint64_t blockAt_ = 0;
};
