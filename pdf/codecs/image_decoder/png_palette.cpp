// Rewriting the two-entry palette of a stencil's PNG in place: exchanging the entries, or
// putting the fill colour into one and making the other transparent for one draw.
#include <cstring>

#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/png/png_common.h"
#include "pdf/codecs/png/png_reader.h"
#include "pdf/core/pdf_helpers.h"

namespace {

// tRNS chunks of two entries with their checksums: entry 0 opaque and entry 1 transparent,
// and the other way round.
constexpr std::string_view kSecondTransparent{"\x00\x00\x00\x02tRNS\xFF\x00\xE5\xB7\x30\x4A", 14};
constexpr std::string_view kFirstTransparent{"\x00\x00\x00\x02tRNS\x00\xFF\x5B\x91\x22\xB5", 14};

uint32_t ReadBigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void WriteBigEndian32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

}  // namespace

void TPDFImageDecoder::PatchPNGPalette(TMemoryStream& stream, std::string_view command, COLORREF color) {
  TPNGReader reader;
  reader.HeaderOnly = true;
  stream.SetPosition(0);
  reader.ReadChunks(stream);
  stream.SetPosition(0);
  const int64_t size = stream.Size();
  const int64_t palette = reader.PalettePosition;
  if (reader.PaletteCount != 2 || palette < 8 || palette + 10 > size) return;
  uint8_t* p = stream.Memory() + palette;
  if (ReadBigEndian32(p - 8) != 6) return;

  // The palette is a critical chunk: readers reject it when its checksum no longer matches.
  auto updateChecksum = [&] {
    uint8_t* q = stream.Memory() + palette;
    const std::string_view chunk(reinterpret_cast<const char*>(q - 4), 4 + 6);
    WriteBigEndian32(q + 6, PNGCRC32(chunk));
  };

  if (command == "Reset") {
    std::memcpy(p, PaletteEntry0.data(), 3);
    std::memcpy(p + 3, PaletteEntry1.data(), 3);
    updateChecksum();
  } else if (command == "Swap") {
    uint8_t first[3];
    std::memcpy(first, p, 3);
    std::memmove(p, p + 3, 3);
    std::memcpy(p + 3, first, 3);
    updateChecksum();
  } else if (command == "SetTrans") {
    std::memcpy(PaletteEntry0.data(), p, 3);
    std::memcpy(PaletteEntry1.data(), p + 3, 3);
    const uint8_t rgb[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
    std::string_view chunk;
    if (p[0] != 0 || p[1] != 0 || p[2] != 0) {
      std::memcpy(p, rgb, 3);
      chunk = kSecondTransparent;
    } else {
      std::memcpy(p + 3, rgb, 3);
      chunk = kFirstTransparent;
    }
    updateChecksum();
    const int64_t trns = reader.TransparencyPosition;
    if (trns > 0 && trns + 14 <= size && ReadBigEndian32(stream.Memory() + trns) == 2) {
      std::memcpy(stream.Memory() + trns, chunk.data(), chunk.size());
    } else if (trns <= 0 && reader.FirstIDATPosition > 0) {
      InsertIntoStream(stream, chunk, reader.FirstIDATPosition);
    }
    stream.SetPosition(0);
  }
}
