#include "pdf/codecs/png/png_reader.h"

// Bodies follow.
void TPNGReader::ReadChunks(TStream&) {}
void TPNGReader::DecodeImage() {}
void TPNGReader::GetIndexedColorSpace(std::string& text) const { text.clear(); }
