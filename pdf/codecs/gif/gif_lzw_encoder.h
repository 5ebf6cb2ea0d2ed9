// The LZW encoder of GIF image data: variable-width codes from the minimum code size + 1 up to
// 12 bits, least significant bit first, a clear code whenever the string table is full,
// packed into data sub-blocks of at most 255 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class TStream;

// The string table: key (prefix code shl 8 or pixel byte) -> code, open addressing over a
// prime number of slots. A used slot holds key shl 12 or code; an empty one has all bits set.
class THashTable {
 public:
  static constexpr int32_t kSize = 8009;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

  THashTable() : slots_(kSize, kEmpty) {}
  void Clear();
  // Stores the key at the first empty slot of its probe sequence (a key is stored once).
  void Insert(uint32_t Key, uint32_t Code);
  // The code stored for the key, or -1.
  int32_t Lookup(uint32_t Key) const;

 private:
  static int32_t Hash(uint32_t key) { return static_cast<int32_t>(((key >> 4) ^ key) % kSize); }
  std::vector<uint32_t> slots_;
};

// Gathers bytes into data sub-blocks: a length byte and up to 255 bytes each.
class TGIFStream {
 public:
  explicit TGIFStream(TStream& Stream) : stream_(Stream) {}
  void Write(uint8_t Byte);
  // Writes what is pending as a last, shorter sub-block (nothing when nothing is pending).
  void Flush();

 private:
  TStream& stream_;
  uint8_t buffer_[255] = {};
  int32_t count_ = 0;
};

class TAbstractGIFEncoder {
 public:
  virtual ~TAbstractGIFEncoder() = default;
  virtual void Output(int32_t Code) = 0;
  virtual void Clear() = 0;
  virtual void Compress() = 0;
};

class TGIFEncoder : public TAbstractGIFEncoder {
 public:
  // Row y (0 = top) of Width pixel bytes.
  using TRowSource = std::function<const uint8_t*(int32_t y)>;

  // Writes the minimum code size byte, the data sub-blocks and the block terminator.
  // BitsPerPixel is taken into 2..8; pixel bytes beyond the code size are masked to it.
  void Encode(TStream& Stream, int32_t BitsPerPixel, std::span<const uint8_t> Pixels, int32_t Width, int32_t Height);
  void Encode(TStream& Stream, int32_t BitsPerPixel, const TRowSource& Rows, int32_t Width, int32_t Height);

  void Output(int32_t Code) override;
  void Clear() override;
  void Compress() override;

  // Encoder state, readable by tests.
  int32_t NextCode = 0;
  int32_t MinimumCodeSize = 0;
  int32_t InitialCodeWidth = 0;
  int32_t CodeWidth = 0;
  int32_t MaxCode = 0;
  int32_t ClearCode = 0;
  int32_t EndCode = 0;

 private:
  TRowSource rows_;
  int32_t width_ = 0, height_ = 0;
  uint8_t pixelMask_ = 0xFF;
  uint32_t bitBuffer_ = 0;
  int32_t bitCount_ = 0;
  bool clearFlag_ = false;
  std::unique_ptr<THashTable> table_;
  std::unique_ptr<TGIFStream> out_;
};
