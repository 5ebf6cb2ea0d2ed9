#include "skin/skin_reader.h"

#include <cstring>
#include <memory>
#include <vector>

#include "platform/forms/message_dialog.h"
#include "platform/rtl/strings.h"
#include "skin/lzh.h"

namespace {

const char* const kOlderSkinMessage = "This is Older Skin File\rPlease update to new version !";

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Lines as a string list splits them: CR, LF or CR LF end a line; a last line break adds none.
uint64_t CountLines(std::string_view text) {
  uint64_t lines = 0;
  for (size_t i = 0; i < text.size();) {
    ++lines;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

}  // namespace

int SkinVersionBlockSize(uint32_t version) {
  switch (version) {
    case 20000: return 0;
    case 30000: return 256;
    case 40000: return 80;
    case 50000: return 48;
    default: return -1;
  }
}

TSkinReader::TSkinReader() : OnMessage([](const std::string& text) { ShowMessage(text); }) {}

bool TSkinReader::Unpack(TStream& source, TStream& dest) {
  source.SetPosition(0);
  dest.SetPosition(0);
  uint8_t sizeBytes[4] = {};
  if (source.Read(sizeBytes, 4) != 4) return false;
  uint32_t size = ReadU32(sizeBytes);
  uint64_t available = static_cast<uint64_t>(source.Size() - source.Position());
  if (size > kMaxUnpackedSize || size > available * kMaxExpansion) return false;

  // The source is read in blocks; the decoder takes it a byte at a time.
  std::vector<uint8_t> in(static_cast<size_t>(available));
  int64_t got = available ? source.Read(in.data(), static_cast<int64_t>(available)) : 0;
  size_t pos = 0, end = static_cast<size_t>(got > 0 ? got : 0);
  std::vector<uint8_t> out;
  out.reserve(size + TLZH::F);
  auto lzh = std::make_unique<TLZH>();
  lzh->Decode(
      size, [&out](uint8_t b) { out.push_back(b); },
      [&](uint8_t& b) {
        if (pos >= end) return 0;
        b = in[pos++];
        return 1;
      });
  dest.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  return true;
}

bool TSkinReader::LoadFromStream(TStream& source) {
  TMemoryStream m;
  if (!Unpack(source, m)) return false;
  const uint8_t* p = m.Memory();
  const uint64_t total = static_cast<uint64_t>(m.Size());

  TSkinFileHeader header;
  if (total >= 16) {
    header.Version = ReadU32(p);
    header.NameListSize = ReadU32(p + 4);
    header.Unused1 = ReadU32(p + 8);
    header.Unused2 = ReadU32(p + 12);
  }
  int block = SkinVersionBlockSize(header.Version);
  if (block < 0) {
    if (OnMessage) OnMessage(kOlderSkinMessage);
    return false;
  }
  uint64_t namesAt = 16 + static_cast<uint64_t>(block);
  if (namesAt + header.NameListSize > total) return false;
  std::string text(reinterpret_cast<const char*>(p + namesAt), header.NameListSize);
  // Counted before the list is made: a list of line breaks alone would cost far more memory
  // than the archive holds.
  if (CountLines(text) > kMaxEntries) {
    if (OnMessage) OnMessage(kOlderSkinMessage);
    return false;
  }
  TStringList names;
  names.SetText(LowerCaseAscii(text));
  uint64_t sizesAt = namesAt + header.NameListSize;
  uint64_t dataAt = sizesAt + 4 * static_cast<uint64_t>(names.Count());
  if (dataAt > total) return false;
  std::array<uint32_t, kMaxEntries> sizes{};
  uint64_t sum = 0;
  for (int i = 0; i < names.Count(); ++i) {
    sizes[static_cast<size_t>(i)] = ReadU32(p + sizesAt + 4 * static_cast<uint64_t>(i));
    sum += sizes[static_cast<size_t>(i)];
  }
  // Every entry must lie inside the archive.
  if (sum > total - dataAt) return false;

  Header = header;
  Names.Assign(names);
  Count = names.Count();
  Sizes = sizes;
  Data.Clear();
  Data.WriteBuffer(p + dataAt, static_cast<int64_t>(total - dataAt));
  return true;
}

void TSkinReader::CopyEntry(int index, uint64_t offset, TMemoryStream& dest) const {
  uint32_t size = Sizes[static_cast<size_t>(index)];
  if (size) dest.WriteBuffer(Data.Memory() + offset, size);
  dest.SetPosition(0);
}

void TSkinReader::GetFile(const std::string& name, TMemoryStream& dest) const {
  dest.Clear();
  std::string wanted = LowerCaseAscii(name);
  uint64_t offset = 0;
  for (int i = 0; i < Count; ++i) {
    if (Names.Get(i) == wanted) {
      CopyEntry(i, offset, dest);
      return;
    }
    offset += Sizes[static_cast<size_t>(i)];
  }
}

void TSkinReader::FindFile(const std::string& text, TMemoryStream& dest, std::string& foundName) const {
  dest.Clear();
  if (text.empty()) return;  // an empty text is contained in nothing, as with Pos
  uint64_t offset = 0;
  for (int i = 0; i < Count; ++i) {
    std::string n = Names.Get(i);
    if (n.find(text) != std::string::npos) {
      CopyEntry(i, offset, dest);
      foundName = n;
      return;
    }
    offset += Sizes[static_cast<size_t>(i)];
  }
}
