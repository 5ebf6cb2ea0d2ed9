#include "pdf/content/image_import/image_file_type.h"

#include <cstdint>

namespace {

uint16_t Word(std::string_view d, size_t at) { return uint16_t(uint8_t(d[at]) | (uint8_t(d[at + 1]) << 8)); }
uint32_t DWord(std::string_view d, size_t at) { return uint32_t(Word(d, at)) | (uint32_t(Word(d, at + 2)) << 16); }

bool IsPlaceableWMF(std::string_view d) {
  if (d.size() < 22 || DWord(d, 0) != 0x9AC6CDD7u) return false;
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= Word(d, i);
  return sum == Word(d, 20);
}

bool IsEMF(std::string_view d) { return d.size() >= 100 && DWord(d, 0) == 1 && DWord(d, 40) == 0x464D4520u; }

// Reserved word 0, type 1 (icon) or 2 (cursor), at least one entry.
bool IsICO(std::string_view d) {
  return d.size() >= 6 && Word(d, 0) == 0 && (Word(d, 2) == 1 || Word(d, 2) == 2) && Word(d, 4) > 0;
}

bool IsBMP(std::string_view d) { return d.size() >= 14 && Word(d, 0) == 0x4D42 && Word(d, 6) == 0 && Word(d, 8) == 0; }

}  // namespace

int DetectImageFileTypeOf(std::string_view d) {
  if (IsPlaceableWMF(d)) return kImageFileWMF;
  if (IsEMF(d)) return kImageFileEMF;
  if (IsBMP(d)) return kImageFileBMP;
  if (d.starts_with("\xFF\xD8")) return kImageFileJPEG;
  if (d.starts_with("II") || d.starts_with("MM")) return kImageFileTIFF;
  if (d.starts_with(std::string_view("\x89PNG\r\n\x1A\n", 8))) return kImageFilePNG;
  if (d.starts_with("GIF87a") || d.starts_with("GIF89a")) return kImageFileGIF;
  if (IsICO(d)) return kImageFileICO;
  return kImageFileUnknown;
}

int DetectImageFileType(TStream& stream) {
  stream.SetPosition(0);
  const std::string head = stream.ReadString(100);
  stream.SetPosition(0);
  return DetectImageFileTypeOf(head);
}
