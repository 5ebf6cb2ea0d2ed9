#include "pdf/codecs/tiff/tiff_maker.h"

#include <algorithm>

#include "pdf/codecs/tiff/tiff_reader.h"

namespace {

uint64_t RoundUp32(uint64_t v) { return (v + 31) / 32 * 32; }

void PutLE(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

void WriteZeros(TStream& stream, uint64_t count) {
  const std::string zeros(size_t(count), '\0');
  stream.WriteString(zeros);
}

}  // namespace

void TPDFTIFFMaker::AddEntry(uint16_t Tag, uint16_t Type, uint32_t Count, uint32_t Value) {
  Entries.push_back(TEntry{Tag, Type, Count, Value});
}

void TPDFTIFFMaker::AddRationalEntry(TStream& Stream, uint16_t Tag, uint32_t Numerator, uint32_t Denominator) {
  std::string pair;
  PutLE(pair, Numerator, 4);
  PutLE(pair, Denominator, 4);
  Stream.SetPosition(int64_t(dataOffset_));
  Stream.WriteString(pair);
  AddEntry(Tag, 5, 1, uint32_t(dataOffset_));
  dataOffset_ += 8;
}

void TPDFTIFFMaker::SaveToStream(TStream& Stream) {
  dataOffset_ = 128;
  Entries.clear();
  AddLongEntry(256, Width);
  AddLongEntry(257, Height);
  AddShortEntry(258, 1);
  switch (Compression) {
    case kTIFFGroup4: AddShortEntry(259, 4); break;
    case kTIFFLZW: AddShortEntry(259, 5); break;
    case kTIFFGroup3OneD:
    case kTIFFGroup3TwoD: AddShortEntry(259, 3); break;
    default: break;
  }
  AddShortEntry(262, MinIsBlack ? 1 : 0);
  AddShortEntry(266, 1);

  Stream.SetPosition(0);
  WriteZeros(Stream, 128);
  Stream.SetPosition(128);
  Stream.WriteString(Data);
  dataOffset_ = RoundUp32(dataOffset_ + Data.size());

  AddLongEntry(273, 128);
  AddShortEntry(277, 1);
  AddLongEntry(278, Height);
  AddLongEntry(279, uint32_t(Data.size()));
  const bool resolution = ResolutionX > 0 && ResolutionY > 0;
  if (resolution) {
    AddRationalEntry(Stream, 282, ResolutionX, 1);
    AddRationalEntry(Stream, 283, ResolutionY, 1);
  }
  if (Compression == kTIFFGroup3OneD || Compression == kTIFFGroup3TwoD)
    AddLongEntry(292, (Compression == kTIFFGroup3TwoD ? 1 : 0) + (T4ByteAligned ? 4 : 0));
  if (Compression == kTIFFGroup4) AddLongEntry(293, 0);
  if (resolution) AddShortEntry(296, 2);

  const uint64_t directory = RoundUp32(dataOffset_ + 32);
  const int64_t here = Stream.Position();
  if (uint64_t(here) < directory) WriteZeros(Stream, directory - uint64_t(here));

  std::string header = "II";
  PutLE(header, 42, 2);
  PutLE(header, uint32_t(directory), 4);
  Stream.SetPosition(0);
  Stream.WriteString(header);

  std::string dir;
  PutLE(dir, uint32_t(Entries.size()), 2);
  for (const TEntry& e : Entries) {
    PutLE(dir, e.Tag, 2);
    PutLE(dir, e.Type, 2);
    PutLE(dir, e.Count, 4);
    PutLE(dir, e.Value, 4);
  }
  PutLE(dir, 0, 4);
  Stream.SetPosition(int64_t(directory));
  Stream.WriteString(dir);
}

void TIFFBlankRow(int32_t Width, std::string& Row) {
  Row.assign(size_t(std::max<int32_t>(Width, 0) / 8 + 1), '\xFF');
}
