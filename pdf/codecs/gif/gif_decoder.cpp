#include "pdf/codecs/gif/gif_decoder.h"

#include <algorithm>
#include <cstring>

// ---- Primitive reads: past the end of the data they give 0, short strings or the trailer ----

uint8_t TPDFGIFDecoder::ReadByte() { return pos_ < data_.size() ? uint8_t(data_[pos_++]) : 0; }

uint16_t TPDFGIFDecoder::ReadWord() {
  if (data_.size() - pos_ < 2) {
    pos_ = data_.size();
    return 0;
  }
  const uint16_t v = uint16_t(uint8_t(data_[pos_]) | uint8_t(data_[pos_ + 1]) << 8);
  pos_ += 2;
  return v;
}

std::string TPDFGIFDecoder::ReadBytes(size_t Count) {
  const size_t n = std::min(Count, data_.size() - pos_);
  std::string s = data_.substr(pos_, n);
  pos_ += n;
  return s;
}

uint8_t TPDFGIFDecoder::ReadBlockIntroducer() { return pos_ < data_.size() ? uint8_t(data_[pos_++]) : ';'; }

// ---- Reading ----

void TPDFGIFDecoder::LoadFromStream(TStream& Source) {
  Stream = &Source;
  data_ = Source.ReadToEnd();
  pos_ = 0;
  Frames.clear();
  GlobalColorTable.clear();
  Stop = false;
  ReadHeader();
  if (!Valid) return;
  ReadScreenDescriptor();
  if (HasGlobalColorTable) ReadGlobalColorTable();
  ClearGraphicControl();
  for (;;) {
    const uint8_t b = ReadBlockIntroducer();
    if (b == ';') break;
    if (b == 0x21)
      ReadExtension();
    else if (b == 0x2C)
      ReadImage();
    if (Stop) break;
  }
}

void TPDFGIFDecoder::ReadHeader() {
  const std::string h = ReadBytes(6);
  Version = h.size() == 6 && h.compare(0, 3, "GIF") == 0 ? h.substr(3) : std::string();
  Valid = Version == "87a" || Version == "89a";
}

void TPDFGIFDecoder::ReadScreenDescriptor() {
  ScreenWidth = ReadWord();
  ScreenHeight = ReadWord();
  const uint8_t packed = ReadByte();
  HasGlobalColorTable = (packed & 0x80) != 0;
  ColorResolution = uint16_t(1u << (((packed >> 4) & 7) + 1));
  SortFlag = (packed & 0x08) != 0;
  GlobalColorTableSize = uint16_t(1u << ((packed & 7) + 1));
  BackgroundIndex = ReadByte();
  const uint8_t aspect = ReadByte();
  AspectRatio = aspect != 0 ? (aspect + 15) / 64.0 : 1.0;
}

void TPDFGIFDecoder::ReadGlobalColorTable() {
  const std::string t = ReadBytes(size_t(GlobalColorTableSize) * 3);
  GlobalColorTable.assign(t.begin(), t.end());
}

void TPDFGIFDecoder::ReadSubBlocks(TPDFGIFFrame* Frame) {
  size_t joined = std::min(pos_ + 1, data_.size());
  if (Frame) Frame->DataOffset = joined;
  for (;;) {
    if (pos_ >= data_.size()) break;
    const uint8_t size = ReadByte();
    if (size == 0) break;
    const size_t n = std::min<size_t>(size, data_.size() - pos_);
    if (Frame) {
      // The bytes already read are not read again, so the file's copy can hold the joined data.
      std::memmove(data_.data() + joined, data_.data() + pos_, n);
      joined += n;
    }
    pos_ += n;
  }
  if (Frame) Frame->DataSize = joined - Frame->DataOffset;
}

std::string_view TPDFGIFDecoder::ImageData(const TPDFGIFFrame& Frame) const {
  if (Frame.DataOffset > data_.size()) return {};
  return std::string_view(data_).substr(Frame.DataOffset, Frame.DataSize);
}

void TPDFGIFDecoder::ReadExtension() {
  switch (ReadByte()) {
    case 0xF9: ReadGraphicControlExtension(); break;
    case 0x01: ReadPlainTextExtension(); break;
    case 0xFE: ReadCommentExtension(); break;
    case 0xFF: ReadApplicationExtension(); break;
    default: ReadSubBlocks(nullptr); break;
  }
}

void TPDFGIFDecoder::ReadGraphicControlExtension() {
  if (ReadByte() != 4) {
    Stop = true;
    return;
  }
  const uint8_t packed = ReadByte();
  TPDFGIFGraphicControl& c = PendingControl;
  c.DisposalMethod = (packed >> 2) & 7;
  c.UserInput = (packed & 2) != 0;
  c.HasTransparency = (packed & 1) != 0;
  c.DelayTime = ReadWord();
  c.TransparentIndex = ReadByte();
  c.HasGraphicControl = true;
  if (ReadByte() != 0) Stop = true;
}

void TPDFGIFDecoder::ReadCommentExtension() { ReadSubBlocks(nullptr); }
void TPDFGIFDecoder::ReadApplicationExtension() { ReadSubBlocks(nullptr); }
void TPDFGIFDecoder::ReadPlainTextExtension() { ReadSubBlocks(nullptr); }

void TPDFGIFDecoder::ClearGraphicControl() { PendingControl = {}; }

void TPDFGIFDecoder::ReadImage() {
  TPDFGIFFrame f;
  f.Left = ReadWord();
  f.Top = ReadWord();
  f.Width = ReadWord();
  f.Height = ReadWord();
  const uint8_t packed = ReadByte();
  f.HasLocalColorTable = (packed & 0x80) != 0;
  f.Interlaced = (packed & 0x40) != 0;
  f.Sorted = (packed & 0x20) != 0;
  f.LocalColorTableSize = uint16_t(1u << ((packed & 7) + 1));
  if (f.HasLocalColorTable) {
    const std::string t = ReadBytes(size_t(f.LocalColorTableSize) * 3);
    f.LocalColorTable.assign(t.begin(), t.end());
  }
  f.LZWMinimumCodeSize = ReadByte();
  ReadSubBlocks(&f);
  static_cast<TPDFGIFGraphicControl&>(f) = PendingControl;
  ClearGraphicControl();
  Frames.push_back(std::move(f));
}
