// Colour reduction for GIF output: an octree quantiser that keeps at most MaxColors leaves
// between rows and averages each leaf's pixels into a palette entry, and a nearest-colour
// lookup with a cache keyed by the top five bits of each channel.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi_types.h"

class TBitmap;

struct TOctreeNode {
  bool IsLeaf = false;
  // Sums are 64 bit: one leaf may gather every pixel of the largest bitmap.
  uint64_t PixelCount = 0, RedSum = 0, GreenSum = 0, BlueSum = 0;
  // The next node of its level's reducible list.
  TOctreeNode* Next = nullptr;
  // Index (red bit shl 2) or (green bit shl 1) or blue bit.
  std::array<std::unique_ptr<TOctreeNode>, 8> Children;
  int32_t PaletteIndex = -1;

  // Inserts one pixel below Node (created when absent) at Level.
  static void AddColor(std::unique_ptr<TOctreeNode>& Node, uint8_t Red, uint8_t Green, uint8_t Blue,
                       int32_t ColorBits, int32_t Level, int32_t& LeafCount,
                       std::array<TOctreeNode*, 8>& ReducibleNodes);
};

class TColorQuantizer {
 public:
  // MaxColors is at least 1; ColorBits (the leaf level) is taken into 1..8.
  TColorQuantizer(int32_t MaxColors, int32_t ColorBits);
  ~TColorQuantizer();
  TColorQuantizer(const TColorQuantizer&) = delete;
  TColorQuantizer& operator=(const TColorQuantizer&) = delete;

  // A new 8-bit bitmap of the same size with a 256-entry palette, each pixel the index of its
  // nearest entry; null for a bitmap that is empty or not 24 bit.
  std::unique_ptr<TBitmap> Quantize(TBitmap& Bitmap);
  // The palette colours in leaf order (walk order, children 0 to 7), after Quantize.
  const std::vector<PALETTEENTRY>& Colors() const { return colors_; }

  std::unique_ptr<TOctreeNode> Tree;
  int32_t LeafCount = 0;
  std::array<TOctreeNode*, 8> ReducibleNodes{};
  int32_t MaxColors;
  int32_t ColorBits;

 private:
  // Merges the children of the deepest reducible node; false when nothing can be merged.
  bool ReduceTree();
  void AddColor(uint8_t Red, uint8_t Green, uint8_t Blue);
  void BuildPalette(TOctreeNode& node);

  std::vector<PALETTEENTRY> colors_;
};

class TFastColorLookup {
 public:
  static constexpr uint16_t kEmpty = 65535;

  // Reads up to 256 entries of the palette; every entry's own cache cell is filled first, the
  // lowest index winning a shared cell.
  explicit TFastColorLookup(HPALETTE Palette);
  // The cached index for the colour's cell, or else the entry with the smallest sum of
  // absolute channel differences (first of equals), which then answers for the whole cell.
  uint8_t Lookup(uint8_t Red, uint8_t Green, uint8_t Blue);

  std::vector<PALETTEENTRY> PaletteEntries;
  std::vector<uint16_t> Cache;
  int32_t EntryCount = 0;

  static uint32_t Key(uint8_t Red, uint8_t Green, uint8_t Blue) {
    return uint32_t(Red >> 3) | (uint32_t(Green & 0xF8) << 2) | (uint32_t(Blue & 0xF8) << 7);
  }
};
