#include "pdf/codecs/png/png_writer.h"

#include "pdf/codecs/png/png_common.h"

// Bodies follow.
uint32_t PNGCRC32(std::string_view) { return 0; }
uint32_t PNGCRC32Update(uint32_t crc, std::string_view) { return crc; }
TPNGWriter::TPNGWriter(const TBitmap&) : Bitmap(std::make_unique<TBitmap>()) {}
TPNGWriter::TPNGWriter(std::unique_ptr<TBitmap> bitmap) : Bitmap(std::move(bitmap)) {}
void TPNGWriter::SetAlphaMask(TBitmap*, bool) {}
void TPNGWriter::SetICCProfile(std::string_view) {}
void TPNGWriter::SaveToStream(TStream&) {}
void TPNGWriter::WriteChunk(TStream&, std::string_view, std::string_view) {}
std::string TPNGWriter::BuildIHDR() const { return {}; }
std::string TPNGWriter::BuildPHYs() { return {}; }
std::string TPNGWriter::BuildTRNS() const { return {}; }
std::string TPNGWriter::BuildIDAT() const { return {}; }
std::string TPNGWriter::BuildICCP() const { return {}; }
