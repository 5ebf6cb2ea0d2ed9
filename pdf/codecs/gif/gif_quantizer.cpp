#include "pdf/codecs/gif/gif_quantizer.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/palette.h"

namespace {

constexpr int32_t kPaletteSize = 256;

}  // namespace

void TOctreeNode::AddColor(std::unique_ptr<TOctreeNode>& Node, uint8_t Red, uint8_t Green, uint8_t Blue,
                           int32_t ColorBits, int32_t Level, int32_t& LeafCount,
                           std::array<TOctreeNode*, 8>& ReducibleNodes) {
  // Iterative descent: each step goes one level down until a leaf takes the pixel.
  std::unique_ptr<TOctreeNode>* slot = &Node;
  for (;;) {
    if (!*slot) {
      *slot = std::make_unique<TOctreeNode>();
      TOctreeNode& created = **slot;
      created.IsLeaf = Level >= ColorBits;
      if (created.IsLeaf) {
        ++LeafCount;
      } else {
        created.Next = ReducibleNodes[size_t(Level)];
        ReducibleNodes[size_t(Level)] = &created;
      }
    }
    TOctreeNode& node = **slot;
    if (node.IsLeaf) {
      ++node.PixelCount;
      node.RedSum += Red;
      node.GreenSum += Green;
      node.BlueSum += Blue;
      return;
    }
    const int shift = 7 - Level;
    const size_t index = size_t(((Red >> shift) & 1) << 2 | ((Green >> shift) & 1) << 1 | ((Blue >> shift) & 1));
    slot = &node.Children[index];
    ++Level;
  }
}

TColorQuantizer::TColorQuantizer(int32_t MaxColors, int32_t ColorBits)
    : MaxColors(std::clamp(MaxColors, 1, kPaletteSize)), ColorBits(std::clamp(ColorBits, 1, 8)) {}

TColorQuantizer::~TColorQuantizer() = default;

bool TColorQuantizer::ReduceTree() {
  int32_t level = ColorBits - 1;
  while (level > 0 && ReducibleNodes[size_t(level)] == nullptr) --level;
  TOctreeNode* node = ReducibleNodes[size_t(level)];
  if (node == nullptr) return false;
  ReducibleNodes[size_t(level)] = node->Next;
  node->Next = nullptr;
  int32_t children = 0;
  for (auto& child : node->Children) {
    if (!child) continue;
    node->PixelCount += child->PixelCount;
    node->RedSum += child->RedSum;
    node->GreenSum += child->GreenSum;
    node->BlueSum += child->BlueSum;
    child.reset();
    ++children;
  }
  node->IsLeaf = true;
  LeafCount -= children - 1;
  return true;
}

void TColorQuantizer::BuildPalette(TOctreeNode& node) {
  if (node.IsLeaf) {
    if (int32_t(colors_.size()) >= kPaletteSize || node.PixelCount == 0) return;
    node.PaletteIndex = int32_t(colors_.size());
    colors_.push_back(PALETTEENTRY{uint8_t(node.RedSum / node.PixelCount), uint8_t(node.GreenSum / node.PixelCount),
                                   uint8_t(node.BlueSum / node.PixelCount), 0});
    return;
  }
  for (auto& child : node.Children)
    if (child) BuildPalette(*child);
}

std::unique_ptr<TBitmap> TColorQuantizer::Quantize(TBitmap& Bitmap) {
  if (Bitmap.Empty() || Bitmap.PixelFormat() != pf24bit) return nullptr;
  const int32_t width = Bitmap.Width(), height = Bitmap.Height();
  const GdiBitmap& source = Bitmap.Dib();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* p = source.Row(y);
    for (int32_t x = 0; x < width; ++x, p += 3) AddColor(p[2], p[1], p[0]);
    while (LeafCount > MaxColors)
      if (!ReduceTree()) break;
  }

  colors_.clear();
  if (Tree) BuildPalette(*Tree);
  // Entries beyond the leaves stay black.
  std::vector<PALETTEENTRY> entries(kPaletteSize);
  std::copy(colors_.begin(), colors_.end(), entries.begin());

  auto result = std::make_unique<TBitmap>();
  result->SetPixelFormat(pf8bit);
  result->SetSize(width, height);
  result->SetPalette(CreatePalette(entries));
  TFastColorLookup lookup(result->Palette());
  GdiBitmap& target = result->Dib();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* p = source.Row(y);
    uint8_t* out = target.Row(y);
    for (int32_t x = 0; x < width; ++x, p += 3) out[x] = lookup.Lookup(p[2], p[1], p[0]);
  }
  return result;
}

void TColorQuantizer::AddColor(uint8_t Red, uint8_t Green, uint8_t Blue) {
  TOctreeNode::AddColor(Tree, Red, Green, Blue, ColorBits, 0, LeafCount, ReducibleNodes);
}

TFastColorLookup::TFastColorLookup(HPALETTE Palette) : Cache(32768, kEmpty) {
  const UINT available = Palette ? GetPaletteEntries(Palette, 0, 0, nullptr) : 0;
  EntryCount = int32_t(std::min<UINT>(available, kPaletteSize));
  PaletteEntries.resize(size_t(EntryCount));
  if (EntryCount > 0) EntryCount = int32_t(GetPaletteEntries(Palette, 0, UINT(EntryCount), PaletteEntries.data()));
  PaletteEntries.resize(size_t(EntryCount));
  for (int32_t i = 0; i < EntryCount; ++i) {
    const PALETTEENTRY& e = PaletteEntries[size_t(i)];
    uint16_t& slot = Cache[Key(e.peRed, e.peGreen, e.peBlue)];
    if (slot == kEmpty) slot = uint16_t(i);
  }
}

uint8_t TFastColorLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue) {
  uint16_t& slot = Cache[Key(Red, Green, Blue)];
  if (slot != kEmpty) return uint8_t(slot);
  if (EntryCount == 0) return 0;
  int32_t best = 0, bestDistance = 0x30000;
  for (int32_t i = 0; i < EntryCount; ++i) {
    const PALETTEENTRY& e = PaletteEntries[size_t(i)];
    const int32_t d = std::abs(int32_t(e.peRed) - Red) + std::abs(int32_t(e.peGreen) - Green) +
                      std::abs(int32_t(e.peBlue) - Blue);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  slot = uint16_t(best);
  return uint8_t(best);
}
