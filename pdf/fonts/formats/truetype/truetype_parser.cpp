#include "pdf/fonts/formats/truetype/truetype_parser.h"

#include <algorithm>
#include <numeric>

#include "pdf/fonts/formats/font_bytes.h"
#include "platform/rtl/streams.h"

namespace {

constexpr uint32_t kVersionTrueType = 0x00010000;

uint32_t TagValue(std::string_view tag) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | uint8_t(i < tag.size() ? tag[i] : ' ');
  return v;
}

bool AcceptedVersion(uint32_t v) {
  return v == kVersionTrueType || v == TagValue("true") || v == TagValue("typ1") || v == TagValue("OTTO");
}

// 16.16 values are signed: an italic angle leans back as a negative number.
double Fixed(uint32_t v) { return double(int32_t(v)) / 65536.0; }

}  // namespace

void TPDFTrueTypeParser::Reset() {
  data_.clear();
  loaded_ = false;
  version_ = 0;
  numTables_ = searchRange_ = entrySelector_ = rangeShift_ = 0;
  tables_.clear();
  maxpVersion_ = 0;
  numGlyphs_ = 0;
  head_ = TTrueTypeHead();
  loca_.clear();
  glyfStart_ = -1;
  post_ = TTrueTypePost();
  glyphNames_.clear();
  nameIndex_.clear();
  cmapVersion_ = 0;
  cmaps_.clear();
  hhea_ = TTrueTypeHhea();
  advanceWidths_.clear();
}

void TPDFTrueTypeParser::LoadFromStream(TStream& stream) {
  Reset();
  const int64_t size = stream.Size();
  if (size <= 0 || size > kMaxFontSize) return;
  stream.SetPosition(0);
  LoadFromString(stream.ReadString(size));
}

void TPDFTrueTypeParser::LoadFromString(std::string_view data) {
  Reset();
  if (data.empty() || int64_t(data.size()) > kMaxFontSize) return;
  data_.assign(data);
  if (!ReadDirectory()) return;
  loaded_ = true;
  if (HeaderOnly) return;
  ReadHead();
  ReadMaxp();
  ReadLoca();
  glyfStart_ = TableStart("glyf");
  ReadPost();
  for (size_t i = 0; i < glyphNames_.size(); ++i) nameIndex_[glyphNames_[i]] = int(i);
  ReadCmap();
  ReadHhea();
  ReadHmtx();
}

bool TPDFTrueTypeParser::ReadDirectory() {
  TFontByteReader r(data_);
  const uint32_t version = r.U32();
  if (r.Short() || !AcceptedVersion(version)) return false;
  version_ = Fixed(version);
  numTables_ = r.U16();
  searchRange_ = r.U16();
  entrySelector_ = r.U16();
  rangeShift_ = r.U16();
  // A record that the data does not hold ends the directory.
  for (int i = 0; i < numTables_ && r.Remaining() >= 16; ++i) {
    TTrueTypeTableRecord rec;
    rec.Tag = r.U32();
    for (int shift = 24; shift >= 0; shift -= 8) rec.TagText.push_back(char((rec.Tag >> shift) & 0xFF));
    rec.CheckSum = r.U32();
    rec.OffsetFieldPosition = r.Position();
    rec.Offset = r.U32() - uint32_t(OffsetDelta);
    rec.Length = r.U32();
    tables_.push_back(std::move(rec));
  }
  return true;
}

const TTrueTypeTableRecord* TPDFTrueTypeParser::FindTable(std::string_view tag) const {
  const uint32_t v = TagValue(tag);
  for (const auto& t : tables_) {
    if (t.Tag == v) return &t;
  }
  return nullptr;
}

bool TPDFTrueTypeParser::Usable() const {
  for (const std::string_view tag : {"head", "maxp", "loca"}) {
    const TTrueTypeTableRecord* t = FindTable(tag);
    if (t == nullptr || uint64_t(t->Offset) + t->Length > data_.size()) return false;
  }
  return GlyphCount() > 0;
}

int64_t TPDFTrueTypeParser::TableStart(std::string_view tag) const {
  const TTrueTypeTableRecord* t = FindTable(tag);
  return t != nullptr ? int64_t(t->Offset) : -1;
}

uint32_t TPDFTrueTypeParser::GetCFFTable() const {
  const TTrueTypeTableRecord* t = FindTable("CFF ");
  return t != nullptr ? t->Offset : 0;
}

int32_t TPDFTrueTypeParser::Scaled(int32_t value) const {
  if (head_.UnitsPerEm == 0) return 0;
  return int32_t(int64_t(value) * 1000 / head_.UnitsPerEm);
}

void TPDFTrueTypeParser::ReadHead() {
  const int64_t start = TableStart("head");
  if (start < 0) return;
  TFontByteReader r(data_);
  r.Seek(start);
  head_.Version = Fixed(r.U32());
  head_.FontRevision = Fixed(r.U32());
  r.Skip(8);  // checkSumAdjustment, magicNumber
  head_.Flags = r.U16();
  head_.UnitsPerEm = r.U16();
  r.Skip(4);
  head_.Created = r.U32();
  r.Skip(4);
  head_.Modified = r.U32();
  head_.XMin = r.S16();
  head_.YMin = r.S16();
  head_.XMax = r.S16();
  head_.YMax = r.S16();
  head_.MacStyle = r.U16();
  r.Skip(4);  // lowestRecPPEM, fontDirectionHint
  head_.IndexToLocFormat = r.S16();
  head_.GlyphDataFormat = r.S16();
}

void TPDFTrueTypeParser::ReadMaxp() {
  const int64_t start = TableStart("maxp");
  if (start < 0) return;
  TFontByteReader r(data_);
  r.Seek(start);
  maxpVersion_ = Fixed(r.U32());
  numGlyphs_ = r.U16();
}

void TPDFTrueTypeParser::ReadLoca() {
  const int64_t start = TableStart("loca");
  if (start < 0) return;
  TFontByteReader r(data_);
  r.Seek(start);
  loca_.assign(size_t(numGlyphs_) + 1, 0);
  const int16_t format = head_.IndexToLocFormat;
  for (auto& entry : loca_) {
    if (format == 0) {
      entry = uint32_t(r.U16()) * 2;
    } else if (format == 1 || format == 256) {
      const uint32_t v = r.U32();
      entry = v > 0xFFFFFF ? 0 : v;
    }
  }
}

void TPDFTrueTypeParser::ReadPost() {
  const int64_t start = TableStart("post");
  if (start < 0) return;
  TFontByteReader r(data_);
  r.Seek(start);
  const uint32_t version = r.U32();
  post_.Version = Fixed(version);
  post_.ItalicAngle = Fixed(r.U32());
  post_.UnderlinePosition = r.S16();
  post_.UnderlineThickness = r.S16();
  post_.IsFixedPitch = r.S32();
  r.Skip(16);  // memory usage fields
  const int n = numGlyphs_;
  if (version == 0x00010000) {
    glyphNames_.assign(size_t(n), std::string());
    for (int i = 0; i < std::min(n, kStandardMacNameCount); ++i) glyphNames_[size_t(i)] = StandardMacName(i);
  } else if (version == 0x00020000) {
    const int count = r.U16();
    glyphNames_.assign(size_t(n), std::string());
    // Glyphs whose names come from the string list, and how many strings are needed.
    std::vector<std::pair<int, int>> pending;
    int needed = 0;
    for (int i = 0; i < count; ++i) {
      const int index = r.U16();
      if (i >= n) continue;
      if (index < kStandardMacNameCount) {
        glyphNames_[size_t(i)] = StandardMacName(index);
      } else {
        pending.emplace_back(i, index - kStandardMacNameCount);
        needed = std::max(needed, index - kStandardMacNameCount + 1);
      }
    }
    std::vector<std::string> strings;
    strings.reserve(size_t(std::min<int64_t>(needed, r.Remaining())));
    for (int k = 0; k < needed && !r.AtEnd(); ++k) strings.push_back(r.Bytes(r.U8()));
    // A name whose string the table does not hold keeps its placeholder.
    for (const auto& [glyph, k] : pending) {
      glyphNames_[size_t(glyph)] = size_t(k) < strings.size() ? strings[size_t(k)] : "new:" + std::to_string(k);
    }
  } else if (version == 0x00025000) {
    const int count = std::min<int>(r.U16(), n);
    glyphNames_.assign(size_t(n), std::string());
    for (int i = 0; i < count; ++i) {
      const int target = i + r.S8();
      if (target >= 1 && target <= 257) glyphNames_[size_t(i)] = StandardMacName(target);
    }
  }
}

void TPDFTrueTypeParser::ReadHhea() {
  const int64_t start = TableStart("hhea");
  if (start < 0) return;
  TFontByteReader r(data_);
  r.Seek(start);
  if (r.U32() != 0x00010000) return;
  hhea_.Ascender = Scaled(r.S16());
  hhea_.Descender = Scaled(r.S16());
  hhea_.LineGap = Scaled(r.S16());
  hhea_.AdvanceWidthMax = Scaled(r.U16());
  hhea_.MinLeftSideBearing = Scaled(r.S16());
  hhea_.MinRightSideBearing = Scaled(r.S16());
  hhea_.XMaxExtent = Scaled(r.S16());
  hhea_.CaretSlopeRise = r.S16();
  hhea_.CaretSlopeRun = r.S16();
  hhea_.CaretOffset = r.S16();
  r.Skip(8);  // reserved
  r.Skip(2);  // metricDataFormat
  hhea_.NumberOfHMetrics = r.U16();
}

void TPDFTrueTypeParser::ReadHmtx() {
  const int64_t start = TableStart("hmtx");
  // Without a unit size the widths cannot be scaled; they are left out (and read as 750).
  if (start < 0 || head_.UnitsPerEm == 0) return;
  TFontByteReader r(data_);
  r.Seek(start);
  advanceWidths_.assign(hhea_.NumberOfHMetrics, 0);
  for (auto& w : advanceWidths_) {
    w = Scaled(r.U16());
    r.Skip(2);
  }
}

int TPDFTrueTypeParser::FindCmap(uint16_t platformID, uint16_t encodingID) const {
  for (int i = CmapCount() - 1; i >= 0; --i) {
    if (cmaps_[size_t(i)].PlatformID == platformID && cmaps_[size_t(i)].EncodingID == encodingID) return i;
  }
  return -1;
}

TTrueTypeCmap TPDFTrueTypeParser::GetCmap(int index) const { return CmapAt(index); }

const TTrueTypeCmap& TPDFTrueTypeParser::CmapAt(int index) const {
  static const TTrueTypeCmap kEmpty;
  if (index < 0 || index >= CmapCount()) return kEmpty;
  return cmaps_[size_t(index)];
}

int TPDFTrueTypeParser::NameIndex(std::string_view name) const {
  const auto it = nameIndex_.find(std::string(name));
  return it == nameIndex_.end() ? -1 : it->second;
}

std::string TPDFTrueTypeParser::GlyphName(int index) const {
  if (index < 0 || index >= NameCount()) return {};
  return glyphNames_[size_t(index)];
}

int32_t TPDFTrueTypeParser::GetAdvanceWidth(int glyphIndex) const {
  if (advanceWidths_.empty()) return 750;
  if (glyphIndex < 0) glyphIndex = 0;
  if (size_t(glyphIndex) >= advanceWidths_.size()) return advanceWidths_.back();
  return advanceWidths_[size_t(glyphIndex)];
}

void TPDFTrueTypeParser::RebaseTableOffsets(std::string& data, int32_t delta) const {
  TPDFTrueTypeParser header;
  header.HeaderOnly = true;
  header.LoadFromString(data);
  for (const auto& t : header.tables_) {
    const int64_t pos = t.OffsetFieldPosition;
    if (pos < 0 || pos + 4 > int64_t(data.size())) continue;
    const uint32_t v = t.Offset - uint32_t(delta);
    for (int i = 0; i < 4; ++i) data[size_t(pos + i)] = char((v >> (24 - 8 * i)) & 0xFF);
  }
}

void TTrueTypeCmap::IndexCodes() {
  ByCode.resize(Codes.size());
  std::iota(ByCode.begin(), ByCode.end(), 0u);
  std::stable_sort(ByCode.begin(), ByCode.end(), [this](uint32_t a, uint32_t b) { return Codes[a] < Codes[b]; });
}

int TTrueTypeCmap::FirstGlyph(uint32_t code) const {
  const size_t pairs = std::min(Codes.size(), GlyphIds.size());
  if (ByCode.size() != Codes.size()) {
    for (size_t i = 0; i < pairs; ++i)
      if (Codes[i] == code) return GlyphIds[i];
    return 0;
  }
  const auto it = std::lower_bound(ByCode.begin(), ByCode.end(), code,
                                   [this](uint32_t at, uint32_t c) { return Codes[at] < c; });
  return it != ByCode.end() && Codes[*it] == code && *it < pairs ? GlyphIds[*it] : 0;
}
